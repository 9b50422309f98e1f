// SPDX-License-Identifier: MIT
// The Tcl client's sockets on POSIX systems.
#include "ocd/tcp_socket.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int descriptor(const tcp_socket& socket)
{
    return static_cast<int>(socket.handle);
}

io_step failed_try()
{
    if (errno == EINTR)
        return {io_outcome::interrupted};
    if (errno == EAGAIN || errno == EWOULDBLOCK)
        return {io_outcome::would_block};
    return {io_outcome::failed};
}

} // namespace

bool tcp_resolve(const std::string& host, const std::string& service, std::vector<tcp_address>& addresses,
                 std::string& reason)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (const int code = getaddrinfo(host.c_str(), service.c_str(), &hints, &found); code != 0) {
        reason = gai_strerror(code);
        return false;
    }
    tcp_take_addresses(found, addresses);
    freeaddrinfo(found);
    return true;
}

tcp_start tcp_start_connect(const tcp_address& address, tcp_socket& socket, std::string& reason)
{
    const int fd = ::socket(address.family, address.type, address.protocol);
    if (fd < 0) {
        reason = std::strerror(errno);
        return tcp_start::failed;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    const int yes = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    socket.handle = fd;
    if (connect(fd, reinterpret_cast<const sockaddr*>(address.bytes), static_cast<socklen_t>(address.length)) == 0)
        return tcp_start::connected;
    if (errno == EINPROGRESS)
        return tcp_start::pending;
    reason = std::strerror(errno);
    tcp_close(socket);
    return tcp_start::failed;
}

std::string tcp_connect_failure(const tcp_socket& socket)
{
    int result = 0;
    socklen_t length = sizeof result;
    if (getsockopt(descriptor(socket), SOL_SOCKET, SO_ERROR, &result, &length) != 0)
        result = errno;
    return result == 0 ? "" : std::strerror(result);
}

slice_outcome tcp_poll(const tcp_socket& socket, bool writable, int ms)
{
    pollfd p{descriptor(socket), static_cast<short>(writable ? POLLOUT : POLLIN), 0};
    const int ready = poll(&p, 1, ms);
    if (ready > 0)
        return slice_outcome::ready;
    return ready == 0 || errno == EINTR ? slice_outcome::nothing : slice_outcome::failed;
}

io_step tcp_send(const tcp_socket& socket, const char* bytes, size_t size)
{
    const ssize_t sent = send(descriptor(socket), bytes, size, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent > 0)
        return {io_outcome::moved, static_cast<size_t>(sent)};
    return sent == 0 ? io_step{io_outcome::failed} : failed_try();
}

io_step tcp_receive(const tcp_socket& socket, char* bytes, size_t size)
{
    const ssize_t got = recv(descriptor(socket), bytes, size, MSG_DONTWAIT);
    if (got > 0)
        return {io_outcome::moved, static_cast<size_t>(got)};
    return got == 0 ? io_step{io_outcome::failed} : failed_try();
}

void tcp_close(tcp_socket& socket)
{
    if (socket.handle >= 0)
        close(descriptor(socket));
    socket.handle = -1;
}
