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

std::atomic<int> tcl_stop_signal{0};
std::atomic<int> tcl_stop_count{0};

namespace {

constexpr char end_of_message = 0x1a;
constexpr int stop_check_ms = 100;

int connection = -1;
long long requests = 0;
std::string pending; // bytes received past the end of the last answer

using steady = std::chrono::steady_clock;

int ms_left(steady::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - steady::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

enum class waited { ready, timed_out, stopped, failed };

// Waits for events on fd until deadline, looking at the stop request often.
waited wait_for(int fd, short events, steady::time_point deadline)
{
    for (;;) {
        if (tcl_stop_count.load() > 1)
            return waited::stopped;
        const int left = ms_left(deadline);
        if (left == 0)
            return waited::timed_out;
        pollfd p{fd, events, 0};
        const int ready = poll(&p, 1, left < stop_check_ms ? left : stop_check_ms);
        if (ready > 0)
            return waited::ready;
        if (ready < 0 && errno != EINTR)
            return waited::failed;
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
        if (wait_for(fd, POLLOUT, deadline) != waited::ready) {
            code = ETIMEDOUT;
            close(fd);
            return -1;
        }
        int result = 0;
        socklen_t length = sizeof result;
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

bool send_all(const std::string& out, steady::time_point deadline, std::string& error)
{
    for (size_t sent = 0; sent < out.size();) {
        const waited w = wait_for(connection, POLLOUT, deadline);
        if (w != waited::ready) {
            error = w == waited::stopped ? "stopped" : "OpenOCD took no command for " +
                                                            std::to_string(tcl_answer_ms / 1000) + " s";
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
    return true;
}

// Reads until an answer is complete; what came when it is not, in error.
bool receive_answer(std::string& answer, steady::time_point deadline, const std::string& timeout_text,
                    std::string& error)
{
    for (size_t end; (end = pending.find(end_of_message)) == std::string::npos;) {
        const waited w = wait_for(connection, POLLIN, deadline);
        if (w != waited::ready) {
            error = w == waited::stopped ? "stopped" : timeout_text;
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

// The first line of what another service said, printable.
std::string first_line(const std::string& text)
{
    std::string line;
    for (char c : text) {
        if (c == '\n' || c == '\r') {
            if (!line.empty())
                break;
            continue;
        }
        if (c >= 0x20 && c < 0x7f) // telnet's option bytes and the like left out
            line += c;
        if (line.size() >= 60)
            break;
    }
    return line;
}

// An empty command gets an empty answer from OpenOCD's Tcl server, and a
// byte that no other service takes as a command: its telnet server greets
// first, a remote_bitbang server (a served box) ignores it.
bool greeted_as_tcl(const std::string& where, std::string& error)
{
    const steady::time_point deadline = steady::now() + std::chrono::milliseconds(tcl_greeting_ms);
    const std::string hint = " (OpenOCD's Tcl port is its tcl_port, 6666 unless set)";
    if (!send_all(std::string(1, end_of_message), deadline, error))
        return false;
    std::string answer;
    std::string reason;
    if (receive_answer(answer, deadline, "timed out", reason) && answer.empty())
        return true;
    if (reason == "stopped") {
        error = reason;
        return false;
    }
    const std::string said = first_line(reason.empty() ? answer : pending);
    if (said.empty())
        error = where + " is not OpenOCD's Tcl server: no answer within " + std::to_string(tcl_greeting_ms / 1000) +
                " s, as from a remote_bitbang or GDB port" + hint;
    else
        error = where + " is not OpenOCD's Tcl server: it answered '" + said + "'" + hint;
    return false;
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
    const std::string where = host + ":" + service;
    if (const int code = getaddrinfo(host.c_str(), service.c_str(), &hints, &found); code != 0) {
        error = "cannot reach OpenOCD's Tcl server at " + where + ": " + gai_strerror(code);
        return false;
    }
    const steady::time_point deadline = steady::now() + std::chrono::milliseconds(tcl_connect_ms);
    int code = ECONNREFUSED;
    for (const addrinfo* a = found; a != nullptr && connection < 0; a = a->ai_next)
        connection = connect_one(a, deadline, code);
    freeaddrinfo(found);
    if (connection < 0) {
        error = "cannot reach OpenOCD's Tcl server at " + where + ": " + std::strerror(code) +
                " (is openocd running, with tcl_port " + service + "?)";
        return false;
    }
    if (!greeted_as_tcl(where, error)) {
        tcl_close();
        return false;
    }
    return true;
}

bool tcl_request(const std::string& command, std::string& answer, std::string& error, int answer_ms)
{
    if (connection < 0) {
        error = "OpenOCD closed the connection";
        return false;
    }
    if (tcl_stop_signal.load() != 0) {
        error = "stopped";
        return false;
    }
    ++requests;
    const steady::time_point deadline = steady::now() + std::chrono::milliseconds(answer_ms);
    std::string out = command;
    out += end_of_message;
    if (!send_all(out, deadline, error))
        return false;
    return receive_answer(answer, deadline,
                          "OpenOCD gave no answer within " + std::to_string(answer_ms / 1000) + " s", error);
}

void tcl_send_only(const std::string& command)
{
    if (connection < 0)
        return;
    const std::string out = command + end_of_message;
    // A bounded try: the run is ending either way.
    send(connection, out.data(), out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
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
