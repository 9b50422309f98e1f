// SPDX-License-Identifier: MIT
// A double of the Linux parallel-port device for LD_PRELOAD: /dev/parport0
// opened and driven with the ppdev ioctls reaches the virtual box in this
// process; every other path and descriptor goes to the C library untouched.
// ioperm is always refused, so that even root takes the ppdev path and never
// the machine's real ports, and a pause advances the box's time instead of
// waiting, as vexload-sim does.
//
// Read once, at the first open of the device:
//   VEXLOAD_PPDEV_MODE    "" | busy | eacces | enoent | fail-after=N
//   VEXLOAD_PPDEV_FAULTS  box faults, comma-separated (tdo-stuck-1,no-execute,...)
//   VEXLOAD_PPDEV_CHIP    the flash chip fitted
//   VEXLOAD_PPDEV_FLASH   flash array file, loaded at the open, saved at exit
//   VEXLOAD_PPDEV_REPORT  file that gets the double's counters at exit
//   VEXLOAD_PPDEV_IOPERM  ENOSYS: ioperm fails as in a container (default EPERM)
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/ioctl.h>
#include <linux/ppdev.h>
#include <time.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sim/box.h"
#include "sim/events.h"
#include "sim/faults.h"
#include "sim/flash.h"
#include "sim/program/flash_file.h"

namespace {

constexpr const char* device_path = "/dev/parport0";

enum class device_mode { normal, busy, eacces, enoent, fail_after };

struct device_state {
    bool configured = false;
    device_mode mode = device_mode::normal;
    uint64_t fail_after = 0;
    std::string flash_path;
    std::string report_path;
    int fd = -1;          // the open device (a descriptor of /dev/null underneath)
    bool claimed = false;
    uint8_t data = 0;     // the data register as written
    uint8_t control = 0;  // the low four control bits
    uint64_t ioctls = 0;
    uint64_t transfers = 0; // data and status accesses
};

device_state device;

template <typename function>
function next(const char* name)
{
    return reinterpret_cast<function>(dlsym(RTLD_NEXT, name));
}

using openat_fn = int (*)(int, const char*, int, ...);
using close_fn = int (*)(int);
using ioctl_fn = int (*)(int, unsigned long, ...);
using nanosleep_fn = int (*)(const timespec*, timespec*);

[[noreturn]] void give_up(const std::string& message)
{
    std::fprintf(stderr, "ppdev double: %s\n", message.c_str());
    std::_Exit(125);
}

void save_at_exit()
{
    std::string error;
    if (!device.flash_path.empty() && !flash_file_save(error))
        std::fprintf(stderr, "ppdev double: %s\n", error.c_str());
    flash_file_release();
    if (device.report_path.empty())
        return;
    const sim::box_stats& stats = sim::box_statistics();
    uint64_t ns = 0;
    if (FILE* report = std::fopen(device.report_path.c_str(), "w")) {
        std::fprintf(report, "ioctls %llu\nport accesses %llu\nsleeps %llu\nsector erase %s\n",
            static_cast<unsigned long long>(device.ioctls),
            static_cast<unsigned long long>(stats.port_writes + stats.port_reads),
            static_cast<unsigned long long>(stats.sleeps),
            sim::milestone_time(sim::milestone::first_erase_command, ns) ? "seen" : "never");
        std::fclose(report);
    }
}

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

// The box behind the device, powered on at the first open.
void configure()
{
    device.configured = true;
    const std::string mode = environment("VEXLOAD_PPDEV_MODE");
    if (mode == "busy")
        device.mode = device_mode::busy;
    else if (mode == "eacces")
        device.mode = device_mode::eacces;
    else if (mode == "enoent")
        device.mode = device_mode::enoent;
    else if (mode.starts_with("fail-after=")) {
        device.mode = device_mode::fail_after;
        device.fail_after = std::strtoull(mode.c_str() + 11, nullptr, 10);
    } else if (!mode.empty())
        give_up("unknown VEXLOAD_PPDEV_MODE " + mode);

    std::string error;
    std::string faults = environment("VEXLOAD_PPDEV_FAULTS");
    for (size_t start = 0; start < faults.size();) {
        size_t end = faults.find(',', start);
        if (end == std::string::npos)
            end = faults.size();
        if (!sim::fault_apply(faults.substr(start, end - start), error))
            give_up(error);
        start = end + 1;
    }
    sim::box_power_on();
    const std::string chip = environment("VEXLOAD_PPDEV_CHIP");
    if (!chip.empty() && !sim::flash_select_chip(chip))
        give_up("unknown chip " + chip);
    device.flash_path = environment("VEXLOAD_PPDEV_FLASH");
    if (!device.flash_path.empty() && !flash_file_open(device.flash_path, error))
        give_up(error);
    device.report_path = environment("VEXLOAD_PPDEV_REPORT");
    std::atexit(save_at_exit);
}

bool is_device(const char* path)
{
    return path != nullptr && std::strcmp(path, device_path) == 0;
}

int fail(int error)
{
    errno = error;
    return -1;
}

int open_device(int flags)
{
    if (!device.configured)
        configure();
    if (device.mode == device_mode::enoent)
        return fail(ENOENT);
    if (device.mode == device_mode::eacces)
        return fail(EACCES);
    if (device.fd >= 0)
        return fail(EBUSY); // one opener at a time is all a test needs
    static const openat_fn real_openat = next<openat_fn>("openat");
    const int fd = real_openat(AT_FDCWD, "/dev/null", O_RDWR | (flags & O_CLOEXEC));
    if (fd >= 0) {
        device.fd = fd;
        device.claimed = false;
    }
    return fd;
}

// What ppdev does with each request on a claimed or unclaimed port.
int device_ioctl(unsigned long request, void* argument)
{
    ++device.ioctls;
    auto* const byte = static_cast<unsigned char*>(argument);
    switch (request) {
    case PPCLAIM:
        if (device.claimed)
            return fail(EINVAL);
        if (device.mode == device_mode::busy)
            return fail(EBUSY);
        device.claimed = true;
        return 0;
    case PPRELEASE:
        if (!device.claimed)
            return fail(EINVAL);
        device.claimed = false;
        return 0;
    case PPWDATA:
    case PPRDATA:
    case PPRSTATUS:
    case PPWCONTROL:
    case PPRCONTROL:
        break;
    default:
        return fail(ENOTTY);
    }
    if (!device.claimed)
        return fail(EINVAL);
    if (device.mode == device_mode::fail_after && device.transfers >= device.fail_after)
        return fail(EIO);
    switch (request) {
    case PPWDATA:
        ++device.transfers;
        device.data = *byte;
        sim::box_port_write(*byte);
        return 0;
    case PPRSTATUS:
        ++device.transfers;
        *byte = sim::box_port_read();
        return 0;
    case PPRDATA:
        *byte = device.data;
        return 0;
    case PPWCONTROL:
        device.control = *byte & 0x0F;
        return 0;
    default: // PPRCONTROL
        *byte = device.control;
        return 0;
    }
}

mode_t mode_argument(int flags, va_list arguments)
{
    return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) int openat(int directory, const char* path, int flags, ...)
{
    static const openat_fn real = next<openat_fn>("openat");
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = mode_argument(flags, arguments);
    va_end(arguments);
    if (is_device(path))
        return open_device(flags);
    return real(directory, path, flags, mode);
}

// open is openat from the current directory.
__attribute__((visibility("default"))) int open(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = mode_argument(flags, arguments);
    va_end(arguments);
    return openat(AT_FDCWD, path, flags, mode);
}

// On a 64-bit C library open64 is open itself.
static_assert(sizeof(off_t) == 8, "open64 differs from open here: interpose it apart");
__attribute__((visibility("default"), alias("open"))) int open64(const char* path, int flags, ...);

__attribute__((visibility("default"))) int close(int fd)
{
    static const close_fn real = next<close_fn>("close");
    if (fd >= 0 && fd == device.fd) {
        device.fd = -1; // closing releases a claim, as the kernel does
        device.claimed = false;
    }
    return real(fd);
}

__attribute__((visibility("default"))) int ioctl(int fd, unsigned long request, ...)
{
    va_list arguments;
    va_start(arguments, request);
    void* const argument = va_arg(arguments, void*);
    va_end(arguments);
    if (fd == device.fd && fd >= 0) [[likely]]
        return device_ioctl(request, argument);
    static const ioctl_fn real = next<ioctl_fn>("ioctl");
    return real(fd, request, argument);
}

__attribute__((visibility("default"))) int ioperm(unsigned long, unsigned long, int)
{
    const char* error = std::getenv("VEXLOAD_PPDEV_IOPERM");
    return fail(error != nullptr && std::strcmp(error, "ENOSYS") == 0 ? ENOSYS : EPERM);
}

__attribute__((visibility("default"))) int nanosleep(const timespec* wait, timespec* left)
{
    if (!device.configured || wait == nullptr) {
        static const nanosleep_fn real = next<nanosleep_fn>("nanosleep");
        return real(wait, left);
    }
    const uint64_t ms = static_cast<uint64_t>(wait->tv_sec) * 1000 + static_cast<uint64_t>(wait->tv_nsec) / 1000000;
    sim::box_sleep(static_cast<uint32_t>(ms));
    return 0;
}

} // extern "C"
