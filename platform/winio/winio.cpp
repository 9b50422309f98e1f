// SPDX-License-Identifier: MIT
// The port-I/O library of the Linux build, "WinIo.dll" beside vexload, with the
// classic entry points. Access to the parallel port's three registers is taken
// with ioperm where the kernel allows it (root, no lockdown); otherwise the
// port is claimed through ppdev, which needs only access to /dev/parport0.
// Besides the classic entry points it exports WinIoErrorText: what was refused
// or failed, with the system's own words, for the tool's message.
#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define WINIO_HAVE_IOPERM 1
#else
#define WINIO_HAVE_IOPERM 0
#endif

#define WINIO_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr uint16_t first_port = 0x378; // data
constexpr uint16_t status_port = 0x379;
constexpr uint16_t control_port = 0x37A;
constexpr uint16_t port_count = 3;

enum class grant { none, ioperm, ppdev };

constexpr const char* parport_path = "/dev/parport0";

grant granted = grant::none;
int parport_fd = -1;

// Empty while nothing was refused; otherwise "what: reason", several joined by "; ".
char error_text[256] = "";

// Appends "what: strerror(error)" to error_text; errno is left as the failure set it.
void note_error(const char* what, int error)
{
    const size_t used = std::strlen(error_text);
    std::snprintf(error_text + used, sizeof error_text - used, "%s%s: %s", used == 0 ? "" : "; ", what,
        std::strerror(error));
    errno = error;
}

bool in_range(uint16_t port, uint8_t size)
{
    return (size == 1 || size == 2 || size == 4) && port >= first_port
        && port + size <= first_port + port_count;
}

bool claim_parport()
{
    const int fd = open(parport_path, O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        note_error(parport_path, errno);
        return false;
    }
    if (ioctl(fd, PPCLAIM) != 0) {
        const int error = errno;
        close(fd);
        note_error("/dev/parport0 claim", error);
        return false;
    }
    parport_fd = fd;
    return true;
}

// A failed transfer in mid-run (the device gone, the port taken away).
bool ppdev_done(int result, const char* what)
{
    if (result == 0) [[likely]]
        return true;
    const int error = errno;
    error_text[0] = '\0'; // the run was granted the port: what was refused then no longer matters
    note_error(what, error);
    return false;
}

bool ppdev_write(uint16_t port, uint8_t value)
{
    unsigned char byte = value;
    if (port == first_port)
        return ppdev_done(ioctl(parport_fd, PPWDATA, &byte), "/dev/parport0 data write");
    if (port == control_port)
        return ppdev_done(ioctl(parport_fd, PPWCONTROL, &byte), "/dev/parport0 control write");
    return false; // the status register cannot be written
}

bool ppdev_read(uint16_t port, uint8_t* value)
{
    unsigned char byte = 0;
    bool done = false;
    if (port == first_port)
        done = ppdev_done(ioctl(parport_fd, PPRDATA, &byte), "/dev/parport0 data read");
    else if (port == status_port)
        done = ppdev_done(ioctl(parport_fd, PPRSTATUS, &byte), "/dev/parport0 status read");
    else if (port == control_port)
        done = ppdev_done(ioctl(parport_fd, PPRCONTROL, &byte), "/dev/parport0 control read");
    *value = byte;
    return done;
}

// One mapping of physical memory, handed out as the opaque handle.
struct phys_mapping {
    void* base;
    size_t length;
};

bool phys_transfer(uint32_t* phys_addr, uint32_t* value, bool write)
{
    const int fd = open("/dev/mem", (write ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_SYNC);
    if (fd < 0)
        return false;
    const off_t offset = static_cast<off_t>(reinterpret_cast<uintptr_t>(phys_addr));
    const ssize_t done = write ? pwrite(fd, value, sizeof *value, offset) : pread(fd, value, sizeof *value, offset);
    close(fd);
    return done == static_cast<ssize_t>(sizeof *value);
}

} // namespace

WINIO_EXPORT bool InitializeWinIo()
{
    if (granted != grant::none)
        return true;
    error_text[0] = '\0';
#if WINIO_HAVE_IOPERM
    if (ioperm(first_port, port_count, 1) == 0) {
        granted = grant::ioperm;
        return true;
    }
    note_error("ioperm", errno);
#endif
    if (claim_parport()) {
        granted = grant::ppdev;
        error_text[0] = '\0'; // ioperm's refusal did not keep the port from the run
        return true;
    }
    return false;
}

WINIO_EXPORT void ShutdownWinIo()
{
#if WINIO_HAVE_IOPERM
    if (granted == grant::ioperm)
        ioperm(first_port, port_count, 0);
#endif
    if (granted == grant::ppdev) {
        ioctl(parport_fd, PPRELEASE);
        close(parport_fd);
        parport_fd = -1;
    }
    granted = grant::none;
}

WINIO_EXPORT bool GetPortVal(uint16_t port, uint32_t* value, uint8_t size)
{
    if (value == nullptr || !in_range(port, size))
        return false;
    switch (granted) {
#if WINIO_HAVE_IOPERM
    case grant::ioperm:
        *value = size == 1 ? inb(port) : size == 2 ? inw(port) : inl(port);
        return true;
#endif
    case grant::ppdev: {
        uint8_t byte = 0;
        if (size != 1 || !ppdev_read(port, &byte))
            return false;
        *value = byte;
        return true;
    }
    default:
        return false;
    }
}

WINIO_EXPORT bool SetPortVal(uint16_t port, uint32_t value, uint8_t size)
{
    if (!in_range(port, size))
        return false;
    switch (granted) {
#if WINIO_HAVE_IOPERM
    case grant::ioperm:
        if (size == 1)
            outb(static_cast<uint8_t>(value), port);
        else if (size == 2)
            outw(static_cast<uint16_t>(value), port);
        else
            outl(value, port);
        return true;
#endif
    case grant::ppdev:
        return size == 1 && ppdev_write(port, static_cast<uint8_t>(value));
    default:
        return false;
    }
}

WINIO_EXPORT uint8_t* MapPhysToLin(uint8_t* phys_addr, uint32_t phys_size, void** handle)
{
    if (handle == nullptr || phys_size == 0)
        return nullptr;
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const uintptr_t address = reinterpret_cast<uintptr_t>(phys_addr);
    const uintptr_t start = address & ~(page - 1);
    const size_t length = (address - start) + phys_size;

    const int fd = open("/dev/mem", O_RDWR | O_CLOEXEC | O_SYNC);
    if (fd < 0)
        return nullptr;
    void* const base = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, static_cast<off_t>(start));
    close(fd);
    if (base == MAP_FAILED)
        return nullptr;

    auto* const mapping = static_cast<phys_mapping*>(std::malloc(sizeof(phys_mapping)));
    if (mapping == nullptr) {
        munmap(base, length);
        return nullptr;
    }
    mapping->base = base;
    mapping->length = length;
    *handle = mapping;
    return static_cast<uint8_t*>(base) + (address - start);
}

WINIO_EXPORT bool UnmapPhysicalMemory(void* handle, uint8_t* lin_addr)
{
    auto* const mapping = static_cast<phys_mapping*>(handle);
    if (mapping == nullptr)
        return false;
    const auto* const base = static_cast<uint8_t*>(mapping->base);
    if (lin_addr < base || lin_addr >= base + mapping->length)
        return false;
    const bool unmapped = munmap(mapping->base, mapping->length) == 0;
    std::free(mapping);
    return unmapped;
}

WINIO_EXPORT bool GetPhysLong(uint32_t* phys_addr, uint32_t* value)
{
    return value != nullptr && phys_transfer(phys_addr, value, false);
}

WINIO_EXPORT bool SetPhysLong(uint32_t* phys_addr, uint32_t value)
{
    return phys_transfer(phys_addr, &value, true);
}

// What was refused or failed, e.g. "ioperm: Operation not permitted; /dev/parport0:
// Permission denied"; nullptr while nothing was. Looked up by the tool after the
// eight classic entry points, and optional: other builds of the library lack it.
WINIO_EXPORT const char* WinIoErrorText()
{
    return error_text[0] == '\0' ? nullptr : error_text;
}
