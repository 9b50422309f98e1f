// SPDX-License-Identifier: MIT
#include "tests/ocd/served_box.h"

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/support/file_text.h"
#include "tests/support/loopback.h"
#include "tests/support/scratch_file.h"

namespace {

bool accepts(int port)
{
    const int fd = loopback_connect(port);
    if (fd >= 0)
        close(fd);
    return fd >= 0;
}

// Why a process did not come up: its status when it has ended (then it is
// reaped, and pid cleared), and what it logged.
std::string not_up(const std::string& what, int& pid, const std::string& log)
{
    const int status = wait_for_exit(pid, 0);
    if (status >= 0)
        pid = -1;
    return what + " did not come up" +
           (status >= 0 ? " (it ended with status " + std::to_string(status) + ")" : std::string()) + ": " +
           file_text(log);
}

} // namespace

std::string openocd_program()
{
    for (const char* path : {"/usr/bin/openocd", "/usr/local/bin/openocd"})
        if (access(path, X_OK) == 0)
            return path;
    return "";
}

int free_port()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length);
    close(fd);
    return ntohs(a.sin_port);
}

int spawn(const std::string& path, const std::vector<std::string>& args, const std::string& out,
          const std::string& err)
{
    std::vector<char*> argv{const_cast<char*>(path.c_str())};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(o, 1);
        dup2(e, 2);
        execv(path.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

int wait_for_exit(int pid, int ms)
{
    for (int waited = 0; waited <= ms; waited += 10) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

bool wait_for_text(const std::string& path, const std::string& text)
{
    for (int i = 0; i < 6000; ++i) {
        if (file_text(path).find(text) != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

bool served_box::start(const std::string& sim, const std::vector<std::string>& box_args, std::string& error)
{
    log = scratch_file("ocd-box-log");
    std::vector<std::string> args = box_args;
    args.insert(args.end(), {"--serve", "0"});
    box_pid = spawn(sim, args, "/dev/null", log);
    for (int i = 0; i < 1000 && box_port < 0; ++i) {
        const std::string text = file_text(log);
        const size_t at = text.find("remote_bitbang on 127.0.0.1:");
        if (at != std::string::npos && text.find('\n', at) != std::string::npos)
            box_port = std::atoi(text.c_str() + at + 28);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (box_port < 0) {
        error = not_up("the served box", box_pid, log);
        return false;
    }
    tcl_port = free_port();
    config = scratch_file("ocd-box-cfg");
    std::ofstream(config) << "adapter driver remote_bitbang\n"
                          << "remote_bitbang host 127.0.0.1\nremote_bitbang port " << box_port << "\n"
                          << "adapter speed 1000\nreset_config srst_only srst_nogate\n"
                          << "jtag newtap box cpu -irlen 7 -expected-id 0\n"
                          << "gdb_port disabled\ntelnet_port disabled\ntcl_port " << tcl_port << "\n";
    openocd_log = scratch_file("ocd-openocd-log");
    openocd_pid = spawn(openocd_program(), {"-f", config}, "/dev/null", openocd_log);
    for (int i = 0; i < 1000; ++i) {
        if (accepts(tcl_port))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    error = not_up("OpenOCD", openocd_pid, openocd_log);
    return false;
}

namespace {

void kill_now(int& pid)
{
    if (pid > 0) {
        ::kill(pid, SIGKILL);
        wait_for_exit(pid, 10000);
    }
    pid = -1;
}

// SIGTERM, then SIGKILL for a process that does not end within 10 s.
void end_process(int& pid)
{
    if (pid > 0) {
        ::kill(pid, SIGTERM);
        if (wait_for_exit(pid, 10000) >= 0)
            pid = -1;
    }
    kill_now(pid);
}

} // namespace

void served_box::kill_openocd()
{
    kill_now(openocd_pid);
}

void served_box::stop_openocd()
{
    if (openocd_pid <= 0)
        return;
    end_process(openocd_pid);
    // The box tells the session's summary once it has seen its client go.
    for (int i = 0; i < 500 && box_pid > 0 && file_text(log).find("input waits:") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

void served_box::stop_box_only()
{
    kill_now(box_pid);
}

void served_box::stop()
{
    stop_openocd();
    end_process(box_pid);
    for (const std::string* f : {&log, &config, &openocd_log})
        if (!f->empty())
            std::remove(f->c_str());
}
