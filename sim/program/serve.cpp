// SPDX-License-Identifier: MIT
#include "sim/program/serve.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "sim/box.h"
#include "sim/cable.h"

#ifndef _WIN32
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace sim {

namespace {

constexpr int poll_ms = 100; // how quickly a stop request is noticed

uint8_t data = cable_reset_group; // what the client last put on the cable

} // namespace

char remote_bitbang_byte(char command)
{
    if (command >= '0' && command <= '7') {
        const int v = command - '0';
        data = static_cast<uint8_t>((data & cable_reset_group) | ((v & 4) != 0 ? cable_tck : 0) |
                                    ((v & 2) != 0 ? cable_tms : 0) | ((v & 1) != 0 ? cable_tdi : 0));
        box_port_write(data);
        return 0;
    }
    if (command == 'R')
        return (box_port_read() & status_tdo_inverted) != 0 ? '0' : '1';
    if (command >= 'r' && command <= 'u') {
        const bool srst = ((command - 'r') & 1) != 0;
        data = static_cast<uint8_t>((data & ~cable_reset_group) | (srst ? 0 : cable_reset_group));
        box_port_write(data);
    }
    return 0;
}

#ifdef _WIN32

int serve_remote_bitbang(int, serve_control&)
{
    std::fprintf(stderr, "vexload-sim: --serve is not available on this platform\n");
    return 1;
}

#else

namespace {

// Waits until fd is readable or a stop is requested; false on stop.
bool wait_readable(int fd, serve_control& control)
{
    while (!control.stop.load()) {
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, poll_ms);
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
    }
    return false;
}

bool send_all(int fd, const char* bytes, size_t size)
{
    while (size > 0) {
        const ssize_t sent = send(fd, bytes, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        bytes += sent;
        size -= static_cast<size_t>(sent);
    }
    return true;
}

// One client's session: until 'Q', end of stream, an error or a stop.
void serve_client(int fd, serve_control& control)
{
    char in[4096];
    char out[sizeof in];
    while (wait_readable(fd, control)) {
        const ssize_t got = recv(fd, in, sizeof in, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return;
        size_t replies = 0;
        bool quit = false;
        for (ssize_t i = 0; i < got && !quit; ++i) {
            quit = in[i] == 'Q';
            if (const char reply = remote_bitbang_byte(in[i]))
                out[replies++] = reply;
        }
        if (!send_all(fd, out, replies) || quit)
            return;
    }
}

} // namespace

int serve_remote_bitbang(int port, serve_control& control)
{
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    if (listener < 0) {
        std::perror("vexload-sim: socket");
        return 1;
    }
    const int yes = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    socklen_t length = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 1) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::fprintf(stderr, "vexload-sim: cannot listen on 127.0.0.1:%d: %s\n", port, std::strerror(errno));
        close(listener);
        return 1;
    }
    // The client's cable starts idle: reset group high, TCK low.
    data = cable_reset_group;
    box_port_write(data);
    control.bound_port.store(ntohs(address.sin_port));
    std::fprintf(stderr, "vexload-sim: remote_bitbang on 127.0.0.1:%d\n", control.bound_port.load());

    while (wait_readable(listener, control)) {
        const int client = accept(listener, nullptr, nullptr);
        if (client < 0)
            continue;
        setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        serve_client(client, control);
        close(client);
    }
    close(listener);
    return 0;
}

#endif

} // namespace sim
