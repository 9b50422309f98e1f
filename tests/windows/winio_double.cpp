// SPDX-License-Identifier: MIT
// A stand-in for WinIo.dll (not the real library): the eight entry points
// with their signatures, a journal of the calls, and a status register that
// echoes TDI inverted on bit 7, as a cable with TDI looped back to TDO would.
// Built once per behaviour: complete, without SetPhysLong, InitializeWinIo
// reporting failure, port functions refusing every access (no driver).
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

char journal[8192];
size_t journal_length = 0;
uint8_t data_register = 0;

#if defined(WINIO_DOUBLE_PORTS_REFUSED)
constexpr bool ports_reachable = false;
#else
constexpr bool ports_reachable = true;
#endif

void note(const char* format, unsigned a = 0, unsigned b = 0, unsigned c = 0)
{
    if (journal_length >= sizeof journal)
        return;
    const int length = std::snprintf(journal + journal_length, sizeof journal - journal_length, format, a, b, c);
    if (length > 0)
        journal_length += static_cast<size_t>(length);
}

void say(const char* text)
{
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

} // namespace

#define WINIO_EXPORT extern "C" __declspec(dllexport)

WINIO_EXPORT bool __stdcall InitializeWinIo()
{
    note("InitializeWinIo\n");
#if defined(WINIO_DOUBLE_INIT_FAILS)
    return false;
#else
    return true;
#endif
}

WINIO_EXPORT void __stdcall ShutdownWinIo()
{
    note("ShutdownWinIo\n");
}

WINIO_EXPORT bool __stdcall GetPortVal(uint16_t port, uint32_t* value, uint8_t size)
{
    note("GetPortVal %X %u\n", port, size);
    *value = (data_register & 0x08) != 0 ? 0x00 : 0x80;
    return ports_reachable;
}

WINIO_EXPORT bool __stdcall SetPortVal(uint16_t port, uint32_t value, uint8_t size)
{
    note("SetPortVal %X %02X %u\n", port, value, size);
    if (port == 0x378)
        data_register = static_cast<uint8_t>(value);
    return ports_reachable;
}

WINIO_EXPORT uint8_t* __stdcall MapPhysToLin(uint8_t*, uint32_t, void**)
{
    note("MapPhysToLin\n");
    return nullptr;
}

WINIO_EXPORT bool __stdcall UnmapPhysicalMemory(void*, uint8_t*)
{
    note("UnmapPhysicalMemory\n");
    return false;
}

WINIO_EXPORT bool __stdcall GetPhysLong(uint32_t*, uint32_t*)
{
    note("GetPhysLong\n");
    return false;
}

#if !defined(WINIO_DOUBLE_NO_SET_PHYS_LONG)
WINIO_EXPORT bool __stdcall SetPhysLong(uint32_t*, uint32_t)
{
    note("SetPhysLong\n");
    return false;
}
#endif

// For the tests only: every call made so far, one line each.
WINIO_EXPORT const char* winio_double_journal()
{
    return journal;
}

// Says on standard output whether the program released the library or left
// it loaded to the end of the process.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_DETACH)
        say(reserved == nullptr ? "WinIo released\n" : "WinIo still loaded at process end\n");
    return TRUE;
}
