// SPDX-License-Identifier: MIT
// One whole programming run of the packaged real-images vexload-ocd through
// the real OpenOCD and the served virtual box, with the requests to OpenOCD
// counted by a relay on the Tcl port: wall time, requests, and requests per
// programmed and per verified word.
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "tests/ocd/served_box.h"
#include "tests/support/run_program.h"
#include "tests/support/scratch_file.h"

namespace {

const std::string real_sim = REAL_PREFIX "/bin/vexload-sim";
const std::string real_ocd = REAL_PREFIX "/bin/vexload-ocd";

struct request_kind {
    bool program; // the store of a word program (bypass command 0xA0 in the high half)
    bool load;    // a flash read
};

// Relays one client to OpenOCD's Tcl port and keeps what each request holds.
struct relay {
    int listener = -1;
    int port = -1;
    std::vector<request_kind> requests;
    std::thread worker;

    void start(int openocd_port)
    {
        listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof a;
        bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a);
        listen(listener, 1);
        getsockname(listener, reinterpret_cast<sockaddr*>(&a), &length);
        port = ntohs(a.sin_port);
        worker = std::thread([this, openocd_port] { run(openocd_port); });
    }

    void run(int openocd_port)
    {
        pollfd wait_client{listener, POLLIN, 0};
        if (poll(&wait_client, 1, 60000) <= 0)
            return;
        const int client = accept(listener, nullptr, nullptr);
        const int server = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(static_cast<uint16_t>(openocd_port));
        connect(server, reinterpret_cast<sockaddr*>(&a), sizeof a);
        // As the client and OpenOCD do: no request waits for the one before it to be acknowledged.
        const int yes = 1;
        setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        setsockopt(server, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        std::string request;
        char buffer[65536];
        for (;;) {
            pollfd p[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
            if (poll(p, 2, 60000) <= 0)
                break;
            const int from = (p[0].revents & (POLLIN | POLLHUP)) != 0 ? client : server;
            const ssize_t n = recv(from, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            send(from == client ? server : client, buffer, static_cast<size_t>(n), MSG_NOSIGNAL);
            if (from != client)
                continue;
            for (ssize_t i = 0; i < n; ++i) {
                if (buffer[i] != 0x1a) {
                    request += buffer[i];
                    continue;
                }
                requests.push_back({request.find(" 32 0x00A0") != std::string::npos &&
                                        request.find("0x90410000") != std::string::npos,
                    request.find("0xA0210000") != std::string::npos});
                request.clear();
            }
        }
        close(client);
        close(server);
    }

    void finish()
    {
        if (worker.joinable())
            worker.join();
        close(listener);
    }
};

void BM_OcdFullRun(benchmark::State& state)
{
    if (openocd_program().empty()) {
        state.SkipWithError("openocd is not installed");
        return;
    }
    if (access(real_ocd.c_str(), X_OK) != 0) {
        state.SkipWithError("no real-images tree: run ctest -R real_images_build first");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        const std::string flash = scratch_file("ocd-bench-flash");
        served_box box;
        std::string error;
        if (!box.start(real_sim, {"--sector-erase-ms", "0", "--flash", flash}, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        relay counted;
        counted.start(box.tcl_port);
        state.ResumeTiming();
        const program_result r =
            run_program(real_ocd, {"--openocd", "127.0.0.1:" + std::to_string(counted.port), "-m", "zorvan50s", "-c", "1"});
        state.PauseTiming();
        counted.finish();
        box.stop();
        std::remove(flash.c_str());
        if (r.status != 0 || r.out.find("Complete !") == std::string::npos) {
            state.SkipWithError(("the run failed: " + r.err).c_str());
            return;
        }
        // The download runs from the first word program to the last; the verify is every flash read after it.
        const std::vector<request_kind>& q = counted.requests;
        size_t first = q.size();
        size_t last = 0;
        double programmed = 0;
        for (size_t i = 0; i < q.size(); ++i)
            if (q[i].program) {
                first = std::min(first, i);
                last = i;
                ++programmed;
            }
        double verified = 0;
        for (size_t i = last + 1; i < q.size(); ++i)
            verified += q[i].load;
        const double download_requests = programmed > 0 ? static_cast<double>(last - first + 1) : 0;
        state.counters["requests"] = static_cast<double>(q.size());
        state.counters["programmed_words"] = programmed;
        state.counters["requests_per_programmed_word"] = programmed > 0 ? download_requests / programmed : 0;
        state.counters["verified_words"] = verified;
        state.counters["requests_per_verified_word"] =
            verified > 0 ? static_cast<double>(q.size() - last - 1) / verified : 0;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OcdFullRun)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
