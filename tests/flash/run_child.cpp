#include "tests/flash/run_child.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

child_result run_in_child(const std::function<void()>& body)
{
    char name[] = "/tmp/vexload-flash-child-XXXXXX";
    const int file = mkstemp(name);
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(file, 1);
        close(file);
        body();
        std::fflush(stdout);
        _exit(0);
    }
    close(file);
    child_result result;
    int wait_status = 0;
    if (pid > 0 && waitpid(pid, &wait_status, 0) == pid && WIFEXITED(wait_status))
        result.status = WEXITSTATUS(wait_status);
    std::ifstream in(name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    result.out = text.str();
    std::remove(name);
    return result;
}
