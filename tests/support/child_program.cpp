// SPDX-License-Identifier: MIT
#include "tests/support/child_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

long long now_ms()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

// One round of reading whatever is there, waiting at most wait_ms; false
// once both outputs are at their end.
bool read_some(child_program& c, int wait_ms)
{
    pollfd p[2] = {{c.out_fd, POLLIN, 0}, {c.err_fd, POLLIN, 0}};
    if (c.out_fd < 0 && c.err_fd < 0)
        return false;
    if (poll(p, 2, wait_ms) <= 0)
        return true;
    int* fds[2] = {&c.out_fd, &c.err_fd};
    std::string* texts[2] = {&c.out, &c.err};
    for (int i = 0; i < 2; ++i) {
        if (*fds[i] < 0 || p[i].revents == 0)
            continue;
        char buffer[65536];
        const ssize_t got = read(*fds[i], buffer, sizeof buffer);
        if (got > 0)
            texts[i]->append(buffer, static_cast<size_t>(got));
        else {
            close(*fds[i]);
            *fds[i] = -1;
        }
    }
    return true;
}

} // namespace

bool child_start(child_program& child, const std::string& path, const std::vector<std::string>& args)
{
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        return false;
    std::vector<char*> argv{const_cast<char*>(path.c_str())};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    const bool started = posix_spawn(&child.pid, path.c_str(), &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    child.out_fd = out[0];
    child.err_fd = err[0];
    return started;
}

bool child_wait_for(child_program& child, const std::string& text, bool in_err, int timeout_ms)
{
    const long long end = now_ms() + timeout_ms;
    const std::string& seen = in_err ? child.err : child.out;
    while (seen.find(text) == std::string::npos) {
        const long long left = end - now_ms();
        if (left <= 0 || !read_some(child, static_cast<int>(left < 50 ? left : 50)))
            return seen.find(text) != std::string::npos;
    }
    return true;
}

void child_close_out(child_program& child)
{
    if (child.out_fd >= 0)
        close(child.out_fd);
    child.out_fd = -1;
}

int child_finish(child_program& child, int timeout_ms)
{
    const long long end = now_ms() + timeout_ms;
    int status = 0;
    pid_t done = 0;
    while ((done = waitpid(child.pid, &status, WNOHANG)) == 0 && now_ms() < end)
        read_some(child, 20);
    if (done == 0) {
        kill(child.pid, SIGKILL);
        waitpid(child.pid, &status, 0);
    }
    while (read_some(child, 0) && (child.out_fd >= 0 || child.err_fd >= 0)) {
    }
    if (done == 0)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
