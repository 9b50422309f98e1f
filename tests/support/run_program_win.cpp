// SPDX-License-Identifier: MIT
#include "tests/support/run_program.h"

#include <windows.h>

#include <fstream>
#include <sstream>

#include "tests/support/file_text.h"

namespace {

// A hung program (a dialog nobody closes) fails its test instead of the run.
constexpr DWORD longest_run_ms = 10 * 60 * 1000;


// One argument as the C runtime's command-line parser reads it back:
// quoted when empty or holding blanks or quotes; backslashes doubled only
// where they precede a quote.
std::string quoted(const std::string& arg)
{
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos)
        return arg;
    std::string out = "\"";
    size_t backslashes = 0;
    for (const char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            out.append(2 * backslashes + 1, '\\');
        else
            out.append(backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, '\\');
    out += '"';
    return out;
}

HANDLE inheritable_file(const std::string& path, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string temporary_file(const char* prefix)
{
    char folder[MAX_PATH];
    char name[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH || GetTempFileNameA(folder, prefix, 0, name) == 0)
        return "";
    return name;
}

// Exit codes as a POSIX shell reports them: 0 to 255, exit(-1) as 255. An
// exception code (0xC0000005 and the like) is not a normal exit.
int posix_status(DWORD code)
{
    if (code <= 0xFF)
        return static_cast<int>(code);
    if (code >= 0xFFFFFF00)
        return static_cast<int>(code & 0xFF);
    return -1;
}

} // namespace

program_result run_program(const std::string& path, const std::vector<std::string>& args)
{
    // Output goes to files, not pipes: a run prints megabytes of progress and
    // a pipe nobody drains would stall it.
    const std::string out_name = temporary_file("vxo");
    const std::string err_name = temporary_file("vxe");
    program_result result;
    if (out_name.empty() || err_name.empty()) {
        result.err = "run_program: no temporary file: error " + std::to_string(GetLastError()) + "\n";
        return result;
    }

    HANDLE out = inheritable_file(out_name, GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE err = inheritable_file(err_name, GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE in = inheritable_file("NUL", GENERIC_READ, OPEN_EXISTING);

    std::string command_line = quoted(path);
    for (const std::string& arg : args) {
        command_line += ' ';
        command_line += quoted(arg);
    }

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    // Why a run did not run, for the test that fails on it (a program that
    // ended abnormally says so itself: see the process set-up).
    std::string trouble;
    if (out == INVALID_HANDLE_VALUE || err == INVALID_HANDLE_VALUE || in == INVALID_HANDLE_VALUE)
        trouble = "cannot open its standard files: error " + std::to_string(GetLastError());
    else if (!CreateProcessA(path.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                             &startup, &process))
        trouble = "cannot start it: error " + std::to_string(GetLastError());
    else {
        if (WaitForSingleObject(process.hProcess, longest_run_ms) == WAIT_OBJECT_0) {
            DWORD code = 0;
            if (GetExitCodeProcess(process.hProcess, &code))
                result.status = posix_status(code);
        } else {
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, INFINITE);
            trouble = "it did not end within " + std::to_string(longest_run_ms / 60000) + " minutes";
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    for (HANDLE handle : {out, err, in})
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    result.out = file_text(out_name);
    result.err = file_text(err_name);
    if (!trouble.empty())
        result.err += "run_program: " + path + ": " + trouble + "\n";
    DeleteFileA(out_name.c_str());
    DeleteFileA(err_name.c_str());
    return result;
}
