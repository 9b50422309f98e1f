// SPDX-License-Identifier: MIT
#include "ocd/tcl_client.h"

#include <chrono>

std::atomic<int> tcl_stop_signal{0};
std::atomic<int> tcl_stop_count{0};

namespace {

constexpr int stop_check_ms = 100;
constexpr size_t receive_piece = 65536;
const std::string closed = "OpenOCD closed the connection";

bool asked_twice()
{
    return tcl_stop_count.load() > 1;
}

// Waits for the socket until deadline, looking at the stop request often.
wait_outcome wait_for(const tcp_socket& socket, bool writable, io_clock::time_point deadline)
{
    return wait_in_slices(deadline, stop_check_ms, asked_twice,
                          [&](int ms) { return tcp_poll(socket, writable, ms); });
}

bool send_all(tcl_client& client, const std::string& out, io_clock::time_point deadline, std::string& error)
{
    wait_outcome waited = wait_outcome::ready;
    const auto put = [&](const char* bytes, size_t size) { return tcp_send(client.socket, bytes, size); };
    const auto writable = [&] { return (waited = wait_for(client.socket, true, deadline)) == wait_outcome::ready; };
    if (write_fully(out.data(), out.size(), put, writable))
        return true;
    if (waited == wait_outcome::stopped)
        error = "stopped";
    else if (waited == wait_outcome::timed_out)
        error = "OpenOCD took no command for " + std::to_string(tcl_answer_ms / 1000) + " s";
    else
        error = closed;
    return false;
}

// Reads until an answer is complete; why not in error (timeout_text when
// none came in time).
bool receive_answer(tcl_client& client, std::string& answer, io_clock::time_point deadline,
                    const std::string& timeout_text, std::string& error)
{
    char piece[receive_piece];
    for (;;) {
        switch (tcl_next_answer(client.framing, answer)) {
        case tcl_frame::whole:
            return true;
        case tcl_frame::too_long:
            error = "OpenOCD's answer grew past " + std::to_string(tcl_answer_limit >> 20) + " MiB without its end";
            return false;
        case tcl_frame::partial:
            break;
        }
        const wait_outcome waited = wait_for(client.socket, false, deadline);
        if (waited != wait_outcome::ready) {
            error = waited == wait_outcome::stopped ? "stopped" : waited == wait_outcome::timed_out ? timeout_text
                                                                                                    : closed;
            return false;
        }
        const io_step got = tcp_receive(client.socket, piece, sizeof piece);
        if (got.outcome == io_outcome::failed) {
            error = closed;
            return false;
        }
        if (got.outcome == io_outcome::moved)
            tcl_take(client.framing, std::string_view(piece, got.bytes));
    }
}

// An empty command gets an empty answer from OpenOCD's Tcl server, and a
// byte that no other service takes as a command: its telnet server greets
// first, a remote_bitbang server (a served box) ignores it.
bool greeted_as_tcl(tcl_client& client, const std::string& where, std::string& error)
{
    const io_clock::time_point deadline = io_clock::now() + std::chrono::milliseconds(tcl_greeting_ms);
    const std::string hint = " (OpenOCD's Tcl port is its tcl_port, 6666 unless set)";
    if (!send_all(client, tcl_framed(""), deadline, error))
        return false;
    std::string answer;
    std::string reason;
    if (receive_answer(client, answer, deadline, "timed out", reason) && answer.empty())
        return true;
    if (reason == "stopped") {
        error = reason;
        return false;
    }
    const std::string said = tcl_first_line(reason.empty() ? std::string_view(answer) : tcl_unanswered(client.framing));
    if (said.empty())
        error = where + " is not OpenOCD's Tcl server: no answer within " + std::to_string(tcl_greeting_ms / 1000) +
                " s, as from a remote_bitbang or GDB port" + hint;
    else
        error = where + " is not OpenOCD's Tcl server: it answered '" + said + "'" + hint;
    return false;
}

// The first address of host:port that takes the connection within the
// connect's bound; false with the last one's reason.
bool connect_any(tcl_client& client, const std::vector<tcp_address>& addresses, std::string& reason)
{
    const io_clock::time_point deadline = io_clock::now() + std::chrono::milliseconds(tcl_connect_ms);
    reason = "Connection refused";
    for (const tcp_address& address : addresses) {
        const tcp_start start = tcp_start_connect(address, client.socket, reason);
        if (start == tcp_start::connected)
            return true;
        if (start == tcp_start::failed)
            continue;
        if (wait_for(client.socket, true, deadline) != wait_outcome::ready)
            reason = tcp_timed_out;
        else if ((reason = tcp_connect_failure(client.socket)).empty())
            return true;
        tcp_close(client.socket);
    }
    return false;
}

} // namespace

bool tcl_connect(tcl_client& client, const std::string& host, int port, std::string& error)
{
    tcl_close(client);
    const std::string service = std::to_string(port);
    const std::string where = host + ":" + service;
    std::vector<tcp_address> addresses;
    std::string reason;
    if (!tcp_resolve(host, service, addresses, reason)) {
        error = "cannot reach OpenOCD's Tcl server at " + where + ": " + reason;
        return false;
    }
    if (!connect_any(client, addresses, reason)) {
        error = "cannot reach OpenOCD's Tcl server at " + where + ": " + reason + " (is openocd running, with tcl_port " +
                service + "?)";
        return false;
    }
    if (!greeted_as_tcl(client, where, error)) {
        tcl_close(client);
        return false;
    }
    return true;
}

bool tcl_request(tcl_client& client, const std::string& command, std::string& answer, std::string& error,
                 int answer_ms)
{
    if (client.socket.handle == -1) {
        error = closed;
        return false;
    }
    if (tcl_stop_signal.load() != 0) {
        error = "stopped";
        return false;
    }
    ++client.requests;
    const io_clock::time_point deadline = io_clock::now() + std::chrono::milliseconds(answer_ms);
    if (!send_all(client, tcl_framed(command), deadline, error))
        return false;
    return receive_answer(client, answer, deadline,
                          "OpenOCD gave no answer within " + std::to_string(answer_ms / 1000) + " s", error);
}

void tcl_send_only(tcl_client& client, const std::string& command)
{
    if (client.socket.handle == -1)
        return;
    // One try: the run is ending either way.
    const std::string out = tcl_framed(command);
    tcp_send(client.socket, out.data(), out.size());
}

void tcl_close(tcl_client& client)
{
    tcp_close(client.socket);
    client.framing = {};
}
