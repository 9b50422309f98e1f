// SPDX-License-Identifier: MIT
#include "sim/program/flash_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>

#include "common/io_loop.h"
#include "sim/flash.h"

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr std::uintmax_t file_bytes = sim::flash_chip_words * 2;
constexpr int max_links = 40; // as the kernel allows in one path

std::string target;    // the file the flash lives in, links followed
std::string lock_path; // target + ".lock" while this run holds it

// The file a chain of symbolic links ends at, even one that does not exist yet.
std::string resolved(const std::string& path)
{
    fs::path p = path;
    std::error_code code;
    for (int i = 0; i < max_links && fs::is_symlink(p, code); ++i) {
        const fs::path next = fs::read_symlink(p, code);
        if (code)
            break;
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    return p.string();
}

std::string reason()
{
    return std::strerror(errno);
}

#ifdef _WIN32

// Windows marks a file read-only; a folder's read-only mark means nothing
// there, and a folder it cannot write to fails the lock with its own words.
bool folder_writable(const std::string&)
{
    return true;
}

bool file_writable(const std::string& path)
{
    return _access(path.c_str(), 2) == 0;
}

HANDLE lock_handle = INVALID_HANDLE_VALUE;

bool lock(std::string& error)
{
    // Unshared and deleted on close: a second run cannot open it, and it
    // goes away with this process however the process ends.
    lock_handle = CreateFileA(lock_path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (lock_handle != INVALID_HANDLE_VALUE)
        return true;
    if (GetLastError() == ERROR_SHARING_VIOLATION)
        error = "flash file " + target + " is in use by another run";
    else
        error = "cannot lock flash file " + target + " through " + lock_path;
    return false;
}

void unlock()
{
    if (lock_handle != INVALID_HANDLE_VALUE)
        CloseHandle(lock_handle);
    lock_handle = INVALID_HANDLE_VALUE;
}

bool write_replacing(const unsigned char* bytes, std::string& error)
{
    const std::string temporary = target + ".saving." + std::to_string(_getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(file_bytes));
        out.close();
        if (!out) {
            error = "cannot write flash file " + temporary;
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code code;
    fs::rename(temporary, target, code);
    if (code) {
        error = "cannot replace flash file " + target + ": " + code.message();
        fs::remove(temporary, code);
        return false;
    }
    return true;
}

#else

bool folder_writable(const std::string& path)
{
    return access(path.c_str(), W_OK | X_OK) == 0;
}

bool file_writable(const std::string& path)
{
    return access(path.c_str(), W_OK) == 0;
}

int lock_fd = -1;

bool lock(std::string& error)
{
    // The lock file is removed when a run lets it go: a run that opened the
    // old one locks a file no longer in the folder, sees so and tries again.
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int fd = open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) {
            error = "cannot lock flash file " + target + " through " + lock_path + ": " + reason();
            return false;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            error = errno == EWOULDBLOCK ? "flash file " + target + " is in use by another run"
                                         : "cannot lock flash file " + target + ": " + reason();
            close(fd);
            return false;
        }
        struct stat held {};
        struct stat named {};
        if (fstat(fd, &held) == 0 && stat(lock_path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino) {
            lock_fd = fd;
            return true;
        }
        close(fd);
    }
    error = "cannot lock flash file " + target + ": " + lock_path + " keeps changing";
    return false;
}

void unlock()
{
    if (lock_fd < 0)
        return;
    unlink(lock_path.c_str());
    close(lock_fd);
    lock_fd = -1;
}

// The mode a new file gets, or the one the file has.
mode_t file_mode()
{
    struct stat s {};
    if (stat(target.c_str(), &s) == 0)
        return s.st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool write_all(int fd, const unsigned char* bytes, size_t size)
{
    return write_fully(reinterpret_cast<const char*>(bytes), size, [fd](const char* from, size_t count) {
        const ssize_t done = write(fd, from, count);
        if (done > 0)
            return io_step{io_outcome::moved, static_cast<size_t>(done)};
        return io_step{done < 0 && errno == EINTR ? io_outcome::interrupted : io_outcome::failed};
    });
}

void sync_folder()
{
    const fs::path folder = fs::path(target).parent_path();
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

bool write_replacing(const unsigned char* bytes, std::string& error)
{
    std::string name = target + ".saving.XXXXXX";
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        error = "cannot write flash file " + name + ": " + reason();
        return false;
    }
    const bool written = fchmod(fd, file_mode()) == 0 && write_all(fd, bytes, file_bytes) && fsync(fd) == 0;
    const std::string why = reason();
    if (close(fd) != 0 || !written) {
        error = "cannot write flash file " + name + ": " + (written ? reason() : why);
        unlink(name.c_str());
        return false;
    }
    if (rename(name.c_str(), target.c_str()) != 0) {
        error = "cannot replace flash file " + target + ": " + reason();
        unlink(name.c_str());
        return false;
    }
    sync_folder();
    return true;
}

#endif

// The lock file and the saved array go into the file's folder, and the array
// replaces the file at the end: a run that could not do both is refused
// before it starts, with the folder or the file named.
bool writable(std::string& error)
{
    const std::string folder = fs::path(target).has_parent_path() ? fs::path(target).parent_path().string() : ".";
    if (!folder_writable(folder)) {
        error = "folder " + folder + " of flash file " + target + " cannot be written: " + reason();
        return false;
    }
    std::error_code code;
    if (fs::exists(target, code) && !file_writable(target)) {
        error = "flash file " + target + " cannot be written: " + reason();
        return false;
    }
    return true;
}

bool load(std::string& error)
{
    std::error_code code;
    if (!fs::exists(target, code))
        return true;
    const std::uintmax_t size = fs::file_size(target, code);
    if (code) {
        error = "cannot read flash file " + target + ": " + code.message();
        return false;
    }
    if (size != file_bytes) {
        error = "flash file " + target + " holds " + std::to_string(size) + " bytes, not the chip's " +
                std::to_string(file_bytes);
        return false;
    }
    std::ifstream in(target, std::ios::binary);
    const auto bytes = std::make_unique<unsigned char[]>(file_bytes);
    if (!in.read(reinterpret_cast<char*>(bytes.get()), static_cast<std::streamsize>(file_bytes))) {
        error = "cannot read flash file " + target;
        return false;
    }
    uint16_t* words = sim::flash_array();
    for (size_t w = 0; w < sim::flash_chip_words; ++w)
        words[w] = static_cast<uint16_t>(bytes[2 * w] | (bytes[2 * w + 1] << 8));
    return true;
}

} // namespace

bool flash_file_open(const std::string& path, std::string& error)
{
    target = resolved(path);
    lock_path = target + ".lock";
    if (!writable(error) || !lock(error))
        return false;
    if (load(error))
        return true;
    flash_file_release();
    return false;
}

bool flash_file_save(std::string& error)
{
    const auto bytes = std::make_unique<unsigned char[]>(file_bytes);
    const uint16_t* words = sim::flash_array();
    for (size_t w = 0; w < sim::flash_chip_words; ++w) {
        bytes[2 * w] = static_cast<unsigned char>(words[w]);
        bytes[2 * w + 1] = static_cast<unsigned char>(words[w] >> 8);
    }
    return write_replacing(bytes.get(), error);
}

void flash_file_release()
{
    unlock();
}
