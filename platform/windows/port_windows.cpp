// SPDX-License-Identifier: MIT
// The parallel port on Windows. With the port-I/O driver the process may use
// the in/out instructions itself; where it is refused them (no driver, a
// 64-bit Windows, Wine) the first instruction traps, and the run goes on
// through the library's own port functions, or stops with a clear message.
#include "link/port.h"

#include <windows.h>

#include <cstdio>

#include "platform/port_io_library.h"
#include "platform/system.h"

// The driver grants the port instructions to 32-bit processes only; a 64-bit
// build (its tests under 64-bit Wine) always takes the refused route.
#if !defined(__i386__) && !defined(__x86_64__)
#error "the port instructions are x86 instructions"
#endif

namespace {

enum class port_route : uint8_t { untried, direct, library };

port_route route = port_route::untried;

// Set only while the first access runs.
volatile bool probing = false;
volatile bool refused = false;

constexpr uint8_t opcode_out_dx_al = 0xEE;
constexpr uint8_t opcode_in_al_dx = 0xEC;

// Both port instructions are one byte long.
void step_over_port_instruction(CONTEXT* context)
{
#if defined(__i386__)
    context->Eip += 1;
#else
    context->Rip += 1;
#endif
}

// Steps over a refused out/in of the first access and notes the refusal;
// every other exception goes on to the usual handlers.
LONG CALLBACK refused_port_guard(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (!probing || record->ExceptionCode != EXCEPTION_PRIV_INSTRUCTION)
        return EXCEPTION_CONTINUE_SEARCH;
    const uint8_t opcode = *static_cast<const uint8_t*>(record->ExceptionAddress);
    if (opcode != opcode_out_dx_al && opcode != opcode_in_al_dx)
        return EXCEPTION_CONTINUE_SEARCH;
    refused = true;
    step_over_port_instruction(info->ContextRecord);
    return EXCEPTION_CONTINUE_EXECUTION;
}

inline void out_byte(uint16_t port, uint8_t value)
{
    asm volatile("outb %b0, %w1" : : "a"(value), "d"(port) : "memory");
}

inline uint8_t in_byte(uint16_t port)
{
    uint8_t value;
    asm volatile("inb %w1, %b0" : "=a"(value) : "d"(port) : "memory");
    return value;
}

bool library_ports_ready()
{
    return port_io.module != nullptr && port_io.SetPortVal != nullptr && port_io.GetPortVal != nullptr;
}

void library_write(uint8_t value)
{
    port_io.SetPortVal(port_data_address, value, 1);
}

uint8_t library_read()
{
    uint32_t value = 0;
    port_io.GetPortVal(port_status_address, &value, 1);
    return static_cast<uint8_t>(value);
}

// The first access of the run, made under the guard once the port-I/O
// library is loaded (its driver grants the instructions); chooses the route
// of every later one.
[[gnu::noinline, gnu::cold]] uint8_t first_access(bool write, uint8_t value)
{
    port_io.load_once();
    uint8_t result = 0;
    void* guard = AddVectoredExceptionHandler(1, refused_port_guard);
    if (guard != nullptr) {
        probing = true;
        if (write)
            out_byte(port_data_address, value);
        else
            result = in_byte(port_status_address);
        probing = false;
        RemoveVectoredExceptionHandler(guard);
        if (!refused) {
            route = port_route::direct;
            return result;
        }
    }
    // The library's own functions, if they can reach the port: a library
    // whose driver is missing refuses this first access too.
    if (library_ports_ready()) {
        uint32_t status = 0;
        const bool done = write ? port_io.SetPortVal(port_data_address, value, 1)
                                : port_io.GetPortVal(port_status_address, &status, 1);
        if (done) {
            route = port_route::library;
            return static_cast<uint8_t>(status);
        }
    }
    std::printf("Cannot access I/O port 0x%X: install WinIo.dll and its driver beside vexload.exe "
                "and run vexload as administrator.\n",
                write ? port_data_address : port_status_address);
    platform_exit(-1);
}

// Every access after the first one that does not go straight to the port.
[[gnu::noinline]] void port_write_other(uint8_t value)
{
    if (route == port_route::library)
        library_write(value);
    else
        first_access(true, value);
}

[[gnu::noinline]] uint8_t port_read_other()
{
    if (route == port_route::library)
        return library_read();
    return first_access(false, 0);
}

} // namespace

void port_write(uint8_t value)
{
    if (route == port_route::direct) [[likely]]
        out_byte(port_data_address, value);
    else
        port_write_other(value);
}

uint8_t port_read()
{
    if (route == port_route::direct) [[likely]]
        return in_byte(port_status_address);
    return port_read_other();
}
