// SPDX-License-Identifier: MIT
// The Tcl client's sockets on Windows (Winsock 2). Waits use select(), which
// also reports a connect that failed (in its exception set): WSAPoll does
// not on every Windows.
#include "ocd/tcp_socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>

namespace {

SOCKET handle_of(const tcp_socket& socket)
{
    return static_cast<SOCKET>(socket.handle);
}

struct error_words {
    int code;
    const char* words;
};

// The failures a technician meets, in the words the POSIX system uses for
// them, so that a message reads the same on every platform.
constexpr error_words posix_words[] = {
    {WSAECONNREFUSED, "Connection refused"},
    {WSAETIMEDOUT, "Connection timed out"},
    {WSAENETUNREACH, "Network is unreachable"},
    {WSAEHOSTUNREACH, "No route to host"},
    {WSAECONNRESET, "Connection reset by peer"},
    {WSAEADDRNOTAVAIL, "Cannot assign requested address"},
    {WSAHOST_NOT_FOUND, "Name or service not known"},
    {WSATRY_AGAIN, "Temporary failure in name resolution"},
    {WSANO_DATA, "No address associated with hostname"},
};

std::string words_for(int code)
{
    for (const error_words& e : posix_words)
        if (e.code == code)
            return e.words;
    char text[256] = "";
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        static_cast<DWORD>(code), 0, text, sizeof text, nullptr);
    std::string said(text, length);
    while (!said.empty() && (said.back() == '\n' || said.back() == '\r' || said.back() == '.' || said.back() == ' '))
        said.pop_back();
    return said.empty() ? "Winsock error " + std::to_string(code) : said;
}

// Winsock once per process, before its first call; its words when it cannot start.
bool winsock_started(std::string& reason)
{
    static const int code = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data);
    }();
    if (code != 0)
        reason = "Winsock does not start: " + words_for(code);
    return code == 0;
}

io_step failed_try()
{
    const int code = WSAGetLastError();
    if (code == WSAEINTR)
        return {io_outcome::interrupted};
    if (code == WSAEWOULDBLOCK)
        return {io_outcome::would_block};
    return {io_outcome::failed};
}

} // namespace

bool tcp_resolve(const std::string& host, const std::string& service, std::vector<tcp_address>& addresses,
                 std::string& reason)
{
    if (!winsock_started(reason))
        return false;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (const int code = getaddrinfo(host.c_str(), service.c_str(), &hints, &found); code != 0) {
        reason = words_for(code);
        return false;
    }
    tcp_take_addresses(found, addresses);
    freeaddrinfo(found);
    return true;
}

tcp_start tcp_start_connect(const tcp_address& address, tcp_socket& socket, std::string& reason)
{
    const SOCKET s = ::socket(address.family, address.type, address.protocol);
    if (s == INVALID_SOCKET) {
        reason = words_for(WSAGetLastError());
        return tcp_start::failed;
    }
    u_long non_blocking = 1;
    ioctlsocket(s, FIONBIO, &non_blocking);
    const BOOL yes = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&yes), sizeof yes);
    socket.handle = static_cast<std::intptr_t>(s);
    if (connect(s, reinterpret_cast<const sockaddr*>(address.bytes), address.length) == 0)
        return tcp_start::connected;
    const int code = WSAGetLastError();
    if (code == WSAEWOULDBLOCK)
        return tcp_start::pending;
    reason = words_for(code);
    tcp_close(socket);
    return tcp_start::failed;
}

std::string tcp_connect_failure(const tcp_socket& socket)
{
    int result = 0;
    int length = sizeof result;
    if (getsockopt(handle_of(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&result), &length) != 0)
        result = WSAGetLastError();
    return result == 0 ? "" : words_for(result);
}

slice_outcome tcp_poll(const tcp_socket& socket, bool writable, int ms)
{
    fd_set ready;
    fd_set failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(handle_of(socket), &ready);
    FD_SET(handle_of(socket), &failed);
    timeval slice{ms / 1000, (ms % 1000) * 1000};
    const int count = select(0, writable ? nullptr : &ready, writable ? &ready : nullptr, &failed, &slice);
    if (count > 0)
        return slice_outcome::ready;
    return count == 0 || WSAGetLastError() == WSAEINTR ? slice_outcome::nothing : slice_outcome::failed;
}

io_step tcp_send(const tcp_socket& socket, const char* bytes, size_t size)
{
    const int chunk = size > 0x40000000 ? 0x40000000 : static_cast<int>(size);
    const int sent = send(handle_of(socket), bytes, chunk, 0);
    if (sent > 0)
        return {io_outcome::moved, static_cast<size_t>(sent)};
    return sent == 0 ? io_step{io_outcome::failed} : failed_try();
}

io_step tcp_receive(const tcp_socket& socket, char* bytes, size_t size)
{
    const int chunk = size > 0x40000000 ? 0x40000000 : static_cast<int>(size);
    const int got = recv(handle_of(socket), bytes, chunk, 0);
    if (got > 0)
        return {io_outcome::moved, static_cast<size_t>(got)};
    return got == 0 ? io_step{io_outcome::failed} : failed_try();
}

void tcp_close(tcp_socket& socket)
{
    if (socket.handle != -1)
        closesocket(handle_of(socket));
    socket.handle = -1;
}
