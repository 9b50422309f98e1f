// SPDX-License-Identifier: MIT
#include "sim/program/serve.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <chrono>

#include "common/io_loop.h"
#include "sim/box.h"
#include "sim/cable.h"

#ifndef _WIN32
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace sim {

namespace {

constexpr int poll_ms = 100; // how quickly a stop request is noticed
constexpr long spin_ns = 100000;

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

constexpr char busy_line[] = "vexload-sim: busy: the box serves one client at a time\n";

// A client that connects while another is served is told so and let go at
// once, rather than left waiting behind a session that may never end.
void turn_away(int listener)
{
    const int waiting = accept(listener, nullptr, nullptr);
    if (waiting < 0)
        return;
    send(waiting, busy_line, sizeof busy_line - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
    close(waiting);
}

// Waits until fd is ready for events or a stop is requested; false on stop
// or an error. With a listener, clients that connect meanwhile are turned away.
bool wait_for(int fd, short events, int listener, serve_control& control)
{
    const auto slice = [&](int ms) {
        pollfd p[2] = {{fd, events, 0}, {listener, POLLIN, 0}};
        const int ready = poll(p, listener >= 0 ? 2 : 1, ms);
        if (ready < 0)
            return errno == EINTR ? slice_outcome::nothing : slice_outcome::failed;
        // The session first: a client that hung up ends it, and one that
        // connected meanwhile is then served rather than turned away.
        if (ready > 0 && p[0].revents != 0)
            return slice_outcome::ready;
        if (ready > 0 && listener >= 0 && (p[1].revents & POLLIN) != 0)
            turn_away(listener);
        return slice_outcome::nothing;
    };
    return wait_in_slices(std::nullopt, poll_ms, [&] { return control.stop.load(); }, slice) ==
           wait_outcome::ready;
}

// Sends without blocking, so that a client that does not read its replies
// cannot hold the server past a stop request.
bool send_all(int fd, const char* bytes, size_t size, int listener, serve_control& control)
{
    const auto put = [fd](const char* from, size_t count) {
        const ssize_t sent = send(fd, from, count, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0)
            return io_step{io_outcome::moved, static_cast<size_t>(sent)};
        if (sent < 0 && errno == EINTR)
            return io_step{io_outcome::interrupted};
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return io_step{io_outcome::would_block};
        return io_step{io_outcome::failed};
    };
    return write_fully(bytes, size, put, [&] { return wait_for(fd, POLLOUT, listener, control); });
}

// The client's next bytes when they come within spin_ns: a client that
// waits for the box's answers (OpenOCD's remote_bitbang, after every scan it
// reads) sends its next bytes at once, and a wait in the kernel for them costs
// more than the whole answer. -1 when none came.
ssize_t spin_receive(int fd, char* in, size_t size)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::nanoseconds(spin_ns);
    do {
        const ssize_t got = recv(fd, in, size, MSG_DONTWAIT);
        if (got >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
            return got == 0 ? 0 : got;
    } while (std::chrono::steady_clock::now() < until);
    return -1;
}

// One client's session: until 'Q', end of stream, an error or a stop. Each
// time its input ran dry the client had to wait for the box's answers (a
// round trip); the end of the session reports them.
void serve_client(int fd, int listener, serve_control& control)
{
    if (control.client_starts != nullptr)
        control.client_starts();
    unsigned long long input_waits = 0;
    char in[4096];
    char out[sizeof in];
    for (;;) {
        ssize_t got = spin_receive(fd, in, sizeof in);
        if (got < 0) {
            if (!wait_for(fd, POLLIN, listener, control))
                break;
            got = recv(fd, in, sizeof in, MSG_DONTWAIT);
        }
        if (got < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
            continue;
        if (got <= 0)
            break;
        ++input_waits;
        size_t replies = 0;
        bool quit = false;
        for (ssize_t i = 0; i < got && !quit; ++i) {
            quit = in[i] == 'Q';
            if (const char reply = remote_bitbang_byte(in[i]))
                out[replies++] = reply;
        }
        if (!send_all(fd, out, replies, listener, control) || quit)
            break;
    }
    if (control.client_ends != nullptr)
        control.client_ends(input_waits);
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
    fcntl(listener, F_SETFL, O_NONBLOCK); // a client gone before accept() must not block it
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    socklen_t length = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 4) != 0 ||
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

    while (wait_for(listener, POLLIN, -1, control)) {
        const int client = accept(listener, nullptr, nullptr);
        if (client < 0)
            continue;
        setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        serve_client(client, listener, control);
        close(client);
    }
    close(listener);
    return 0;
}

#endif

} // namespace sim
