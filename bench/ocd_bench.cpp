// SPDX-License-Identifier: MIT
// One whole programming run (-c 1) of the packaged real-images vexload-ocd
// through the real OpenOCD and the served virtual box, whose sectors erase at
// once: wall time, Tcl requests (counted by a relay on OpenOCD's Tcl port),
// round trips to the adapter (the times the served box waited for input) per
// word programmed and checked, and the lines OpenOCD wrote to its output.
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "tests/ocd/served_box.h"
#include "tests/support/run_program.h"
#include "tests/support/scratch_file.h"

namespace {

const std::string real_sim = REAL_PREFIX "/bin/vexload-sim";
const std::string real_ocd = REAL_PREFIX "/bin/vexload-ocd";
const std::string images = TEST_IMAGES;
// A model of 0x18000 words, and its image file among the test images.
const char* const model = "pellox-s";

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Relays one client to OpenOCD's Tcl port and counts its requests.
struct relay {
    int listener = -1;
    int port = -1;
    long requests = 0;
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
        const int yes = 1;
        setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        setsockopt(server, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        static char buffer[1 << 20];
        for (;;) {
            pollfd p[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
            if (poll(p, 2, 120000) <= 0)
                break;
            const int from = (p[0].revents & (POLLIN | POLLHUP)) != 0 ? client : server;
            const ssize_t n = recv(from, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            for (ssize_t sent = 0; sent < n;) {
                const ssize_t k = send(from == client ? server : client, buffer + sent, static_cast<size_t>(n - sent),
                                       MSG_NOSIGNAL);
                if (k <= 0)
                    break;
                sent += k;
            }
            if (from == client)
                for (ssize_t i = 0; i < n; ++i)
                    requests += buffer[i] == 0x1a;
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

// Words of the model's image that the download programs, and all its words.
void image_words(double& programmed, double& words)
{
    const std::string bytes = slurp(images + "/" + model + "-pal.bin");
    programmed = 0;
    words = static_cast<double>(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        programmed += !(static_cast<unsigned char>(bytes[i]) == 0xFF && static_cast<unsigned char>(bytes[i + 1]) == 0xFF);
}

double summary_count(const std::string& log, const std::string& label)
{
    const size_t at = log.rfind(label);
    return at == std::string::npos ? -1 : std::atof(log.c_str() + at + label.size());
}

double lines_after(const std::string& log, const std::string& mark)
{
    const size_t from = log.find(mark);
    double lines = 0;
    for (size_t at = from == std::string::npos ? std::string::npos : log.find('\n', from); at != std::string::npos;
         at = log.find('\n', at + 1))
        ++lines;
    return lines;
}

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
            run_program(real_ocd, {"--openocd", "127.0.0.1:" + std::to_string(counted.port), "-m", model, "-c", "1"});
        state.PauseTiming();
        counted.finish();
        const std::string openocd_log = slurp(box.openocd_log);
        box.stop_openocd();
        const std::string box_log = slurp(box.log);
        box.stop();
        std::remove(flash.c_str());
        if (r.status != 0 || r.out.find("Complete !") == std::string::npos) {
            state.SkipWithError(("the run failed: " + r.err).c_str());
            return;
        }
        double programmed = 0;
        double words = 0;
        image_words(programmed, words);
        const double waits = summary_count(box_log, "input waits: ");
        state.counters["tcl_requests"] = static_cast<double>(counted.requests);
        state.counters["words_per_tcl_request"] = words * 2 / static_cast<double>(counted.requests);
        state.counters["round_trips"] = waits;
        state.counters["round_trips_per_word"] = waits / (programmed + words);
        state.counters["openocd_lines"] = lines_after(openocd_log, "accepting 'tcl' connection");
        state.counters["programmed_words"] = programmed;
        state.counters["verified_words"] = words;
        state.counters["download_s"] = summary_count(box_log, "phase download: ");
        state.counters["verify_s"] = summary_count(box_log, "phase verify: ");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OcdFullRun)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
