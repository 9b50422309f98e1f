// SPDX-License-Identifier: MIT
#include "ocd/tcl_client.h"

#include <cerrno>
#include <chrono>
#include <cstring>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr char end_of_message = 0x1a;

int connection = -1;
long long requests = 0;
std::string pending; // bytes received past the end of the last answer

using steady = std::chrono::steady_clock;

int ms_left(steady::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - steady::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for events on the connection until deadline; false on time-out.
bool wait_for(short events, steady::time_point deadline)
{
    for (;;) {
        pollfd p{connection, events, 0};
        const int ready = poll(&p, 1, ms_left(deadline));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

// A non-blocking connect to one address, bounded by deadline.
int connect_one(const addrinfo* a, steady::time_point deadline, int& code)
{
    const int fd = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
    if (fd < 0) {
        code = errno;
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    if (connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
        if (errno != EINPROGRESS) {
            code = errno;
            close(fd);
            return -1;
        }
        pollfd p{fd, POLLOUT, 0};
        int result = 0;
        socklen_t length = sizeof result;
        if (poll(&p, 1, ms_left(deadline)) <= 0) {
            code = ETIMEDOUT;
            close(fd);
            return -1;
        }
        getsockopt(fd, SOL_SOCKET, SO_ERROR, &result, &length);
        if (result != 0) {
            code = result;
            close(fd);
            return -1;
        }
    }
    const int yes = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    return fd;
}

} // namespace

bool tcl_connect(const std::string& host, int port, std::string& error)
{
    tcl_close();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (const int code = getaddrinfo(host.c_str(), service.c_str(), &hints, &found); code != 0) {
        error = gai_strerror(code);
        return false;
    }
    const steady::time_point deadline = steady::now() + std::chrono::milliseconds(tcl_connect_ms);
    int code = ECONNREFUSED;
    for (const addrinfo* a = found; a != nullptr && connection < 0; a = a->ai_next)
        connection = connect_one(a, deadline, code);
    freeaddrinfo(found);
    if (connection < 0) {
        error = std::strerror(code);
        return false;
    }
    return true;
}

bool tcl_request(const std::string& command, std::string& answer, std::string& error)
{
    if (connection < 0) {
        error = "OpenOCD closed the connection";
        return false;
    }
    ++requests;
    const steady::time_point deadline = steady::now() + std::chrono::milliseconds(tcl_answer_ms);
    std::string out = command;
    out += end_of_message;
    for (size_t sent = 0; sent < out.size();) {
        if (!wait_for(POLLOUT, deadline)) {
            error = "OpenOCD took no command for " + std::to_string(tcl_answer_ms / 1000) + " s";
            return false;
        }
        const ssize_t n = send(connection, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0) {
            error = "OpenOCD closed the connection";
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    for (size_t end; (end = pending.find(end_of_message)) == std::string::npos;) {
        if (!wait_for(POLLIN, deadline)) {
            error = "OpenOCD gave no answer within " + std::to_string(tcl_answer_ms / 1000) + " s";
            return false;
        }
        char buffer[65536];
        const ssize_t n = recv(connection, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0) {
            error = "OpenOCD closed the connection";
            return false;
        }
        pending.append(buffer, static_cast<size_t>(n));
    }
    const size_t end = pending.find(end_of_message);
    answer = pending.substr(0, end);
    pending.erase(0, end + 1);
    return true;
}

long long tcl_requests()
{
    return requests;
}

void tcl_close()
{
    if (connection >= 0)
        close(connection);
    connection = -1;
    pending.clear();
}
