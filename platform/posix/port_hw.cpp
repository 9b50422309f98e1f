// SPDX-License-Identifier: MIT
// The cable on the real parallel port. The processor's port instructions are
// used when the process has been granted the ports (ioperm by the port-I/O
// library, or by the operator's own setup); where they are refused, the
// library's port functions (ppdev) carry every access; where neither works the
// run ends with one line saying what to do, never with a crash. A processor
// without port instructions (arm64) reaches the port through ppdev only, and
// its refusal says so instead of speaking of root and ioperm.
#include <csetjmp>
#include <csignal>
#include <cstdio>

#include "link/port.h"
#include "platform/port_io_library.h"
#include "platform/system.h"

namespace {

enum class port_mode : uint8_t {
    unprobed, // nothing tried yet: the first access finds out
    direct,   // port instructions
    library,  // the port-I/O library's SetPortVal and GetPortVal
};

port_mode mode = port_mode::unprobed;
bool library_answered = false; // the library carried an access: a later failure is in mid-run

#if defined(__x86_64__) || defined(__i386__)
constexpr bool have_port_instructions = true;

inline void direct_write(uint16_t port, uint8_t value)
{
    asm volatile("outb %0, %1" : : "a"(value), "Nd"(port));
}

inline uint8_t direct_read(uint16_t port)
{
    uint8_t value;
    asm volatile("inb %1, %0" : "=a"(value) : "Nd"(port));
    return value;
}
#else
constexpr bool have_port_instructions = false;

inline void direct_write(uint16_t, uint8_t) {}
inline uint8_t direct_read(uint16_t) { return 0; }
#endif

sigjmp_buf refused_access;

void on_refused_access(int)
{
    siglongjmp(refused_access, 1);
}

// One port instruction with its fault caught: a process without the ports
// gets a general-protection fault, delivered as SIGSEGV.
bool try_direct_access(uint16_t port, uint8_t value_out, uint8_t* value_in)
{
    if (!have_port_instructions)
        return false;

    struct sigaction catcher {};
    struct sigaction previous {};
    catcher.sa_handler = on_refused_access;
    sigemptyset(&catcher.sa_mask);
    if (sigaction(SIGSEGV, &catcher, &previous) != 0)
        return false;

    volatile bool granted = false;
    if (sigsetjmp(refused_access, 1) == 0) {
        if (value_in != nullptr)
            *value_in = direct_read(port);
        else
            direct_write(port, value_out);
        granted = true;
    }
    sigaction(SIGSEGV, &previous, nullptr);
    return granted;
}

// The library's own account of the refusal where it gives one (ioperm's and
// the device's errors as the system words them), otherwise the usual advice.
[[noreturn]] void port_refused(uint16_t port)
{
    const char* why = port_io.WinIoErrorText != nullptr ? port_io.WinIoErrorText() : nullptr;
    const unsigned address = static_cast<unsigned>(port);
    if (why == nullptr && have_port_instructions)
        std::printf("Parallel port 0x%X is not accessible: run vexload as root, or join the group "
                    "that owns /dev/parport0; a PC without a parallel port uses vexload-ocd.\n",
                    address);
    else if (why == nullptr)
        std::printf("Parallel port 0x%X is not accessible: this processor has no port instructions and vexload "
                    "reaches the port through ppdev only, by its port-I/O library: reinstall the package and "
                    "join the group that owns /dev/parport0; a PC without a parallel port uses vexload-ocd.\n",
                    address);
    else if (library_answered)
        std::printf("Parallel port 0x%X failed in mid-run: %s. The flash may be half written: check the "
                    "port and run vexload again.\n",
                    address, why);
    else if (have_port_instructions)
        std::printf("Parallel port 0x%X is not accessible: %s (see PORT ACCESS in man vexload; a PC without a "
                    "parallel port uses vexload-ocd).\n",
                    address, why);
    else
        std::printf("Parallel port 0x%X is not accessible: %s (this processor has no port instructions: vexload "
                    "reaches the port through ppdev only; see PORT ACCESS in man vexload; a PC without a "
                    "parallel port uses vexload-ocd).\n",
                    address, why);
    platform_exit(-1);
}

// The first access loads the port-I/O library (its InitializeWinIo grants the
// ports where it can) and decides the mode for the whole run.
void choose_mode(uint16_t port, uint8_t value_out, uint8_t* value_in)
{
    port_io.load_once();
    if (try_direct_access(port, value_out, value_in)) {
        mode = port_mode::direct;
        return;
    }
    if (port_io.SetPortVal == nullptr || port_io.GetPortVal == nullptr)
        port_refused(port);
    mode = port_mode::library;
}

void library_write(uint16_t port, uint8_t value)
{
    if (!port_io.SetPortVal(port, value, 1))
        port_refused(port);
    library_answered = true;
}

uint8_t library_read(uint16_t port)
{
    uint32_t value = 0;
    if (!port_io.GetPortVal(port, &value, 1))
        port_refused(port);
    library_answered = true;
    return static_cast<uint8_t>(value);
}

[[gnu::noinline]] void port_write_other(uint8_t value)
{
    if (mode == port_mode::unprobed) {
        choose_mode(port_data_address, value, nullptr);
        if (mode == port_mode::direct)
            return; // the probe itself wrote the byte
    }
    library_write(port_data_address, value);
}

[[gnu::noinline]] uint8_t port_read_other()
{
    if (mode == port_mode::unprobed) {
        uint8_t value = 0;
        choose_mode(port_status_address, 0, &value);
        if (mode == port_mode::direct)
            return value;
    }
    return library_read(port_status_address);
}

} // namespace

void port_write(uint8_t value)
{
    if (mode == port_mode::direct) [[likely]] {
        direct_write(port_data_address, value);
        return;
    }
    port_write_other(value);
}

uint8_t port_read()
{
    if (mode == port_mode::direct) [[likely]]
        return direct_read(port_status_address);
    return port_read_other();
}
