#include "tests/flash/capture_stdout.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

std::string capture_stdout(const std::function<void()>& body, std::string& printed)
{
    char name[] = "/tmp/vexload-flash-out-XXXXXX";
    const int file = mkstemp(name);
    std::fflush(stdout);
    const int saved = dup(1);
    dup2(file, 1);
    close(file);
    auto restore = [&] {
        std::fflush(stdout);
        dup2(saved, 1);
        close(saved);
        std::ifstream in(name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        std::remove(name);
        printed = text.str();
    };
    try {
        body();
    } catch (...) {
        restore();
        throw;
    }
    restore();
    return printed;
}

std::string capture_stdout(const std::function<void()>& body)
{
    std::string printed;
    return capture_stdout(body, printed);
}
