// SPDX-License-Identifier: MIT
#include "tests/support/run_program.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "tests/support/file_text.h"

program_result run_program(const std::string& path, const std::vector<std::string>& args)
{
    // Output goes to files, not pipes: a run prints megabytes of progress and
    // a pipe nobody drains would stall it.
    char out_name[] = "/tmp/vexload-out-XXXXXX";
    char err_name[] = "/tmp/vexload-err-XXXXXX";
    const int out_fd = mkstemp(out_name);
    const int err_fd = mkstemp(err_name);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out_fd, 1);
    posix_spawn_file_actions_adddup2(&actions, err_fd, 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);

    program_result result;
    pid_t pid = 0;
    if (posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
        int wait_status = 0;
        if (waitpid(pid, &wait_status, 0) == pid && WIFEXITED(wait_status))
            result.status = WEXITSTATUS(wait_status);
    }
    posix_spawn_file_actions_destroy(&actions);
    close(out_fd);
    close(err_fd);
    result.out = file_text(out_name);
    result.err = file_text(err_name);
    std::remove(out_name);
    std::remove(err_name);
    return result;
}
