// SPDX-License-Identifier: MIT
// The few socket calls of vexload-ocd's Tcl client, one implementation per
// platform (POSIX sockets, Winsock): a non-blocking TCP connection without
// Nagle's delay, each call one try, every wait a slice that the caller
// bounds. Failures come back in the words of the POSIX system, on every
// platform.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/io_loop.h"

struct tcp_socket {
    std::intptr_t handle = -1; // a descriptor or a SOCKET; -1: none
};

struct tcp_address {
    int family = 0;
    int type = 0;
    int protocol = 0;
    int length = 0;
    unsigned char bytes[128] = {};
};

// The TCP addresses of a getaddrinfo list, of either platform's addrinfo.
template <typename address_info>
void tcp_take_addresses(const address_info* found, std::vector<tcp_address>& addresses)
{
    for (const address_info* a = found; a != nullptr; a = a->ai_next) {
        tcp_address address{a->ai_family, a->ai_socktype, a->ai_protocol, static_cast<int>(a->ai_addrlen)};
        if (a->ai_addrlen <= sizeof address.bytes) {
            std::memcpy(address.bytes, a->ai_addr, a->ai_addrlen);
            addresses.push_back(address);
        }
    }
}

// The addresses of host and service (a port number); false with the
// resolver's reason.
bool tcp_resolve(const std::string& host, const std::string& service, std::vector<tcp_address>& addresses,
                 std::string& reason);

enum class tcp_start { connected, pending, failed };

// Opens a socket and starts its connect to address; pending: the socket
// becomes writable when the connect is through or has failed.
tcp_start tcp_start_connect(const tcp_address& address, tcp_socket& socket, std::string& reason);

// After a pending connect's socket became writable: "" when connected, or why not.
std::string tcp_connect_failure(const tcp_socket& socket);

// One slice of a wait for the socket to take bytes (writable) or have some.
slice_outcome tcp_poll(const tcp_socket& socket, bool writable, int ms);

// One try each; a peer that closed the connection fails.
io_step tcp_send(const tcp_socket& socket, const char* bytes, size_t size);
io_step tcp_receive(const tcp_socket& socket, char* bytes, size_t size);

void tcp_close(tcp_socket& socket);

// The words for a timed-out connect.
inline const char* const tcp_timed_out = "Connection timed out";
