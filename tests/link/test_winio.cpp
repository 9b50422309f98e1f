// SPDX-License-Identifier: MIT
// Test builds of the port-I/O library, one per behaviour (see CMakeLists.txt):
// every call the tool makes is printed on the shared standard output.
#include <cstdint>
#include <cstdio>

#define TEST_WINIO_EXPORT extern "C" __attribute__((visibility("default")))

TEST_WINIO_EXPORT bool InitializeWinIo()
{
#if defined(TEST_WINIO_INIT_REFUSED)
    std::printf("InitializeWinIo refused\n");
    return false;
#else
    std::printf("InitializeWinIo\n");
    return true;
#endif
}

TEST_WINIO_EXPORT void ShutdownWinIo()
{
    std::printf("ShutdownWinIo\n");
}

TEST_WINIO_EXPORT bool GetPortVal(uint16_t port, uint32_t* value, uint8_t size)
{
    std::printf("GetPortVal %X %u\n", port, size);
    *value = 0x5A;
#if defined(TEST_WINIO_PORTS_REFUSED)
    return false;
#else
    return true;
#endif
}

#if !defined(TEST_WINIO_NO_SET_PORT_VAL)
TEST_WINIO_EXPORT bool SetPortVal(uint16_t port, uint32_t value, uint8_t size)
{
    std::printf("SetPortVal %X %X %u\n", port, value, size);
#if defined(TEST_WINIO_PORTS_REFUSED)
    return false;
#else
    return true;
#endif
}
#endif

TEST_WINIO_EXPORT uint8_t* MapPhysToLin(uint8_t*, uint32_t, void**)
{
    std::printf("MapPhysToLin\n");
    return nullptr;
}

TEST_WINIO_EXPORT bool UnmapPhysicalMemory(void*, uint8_t*)
{
    std::printf("UnmapPhysicalMemory\n");
    return false;
}

TEST_WINIO_EXPORT bool GetPhysLong(uint32_t*, uint32_t*)
{
    std::printf("GetPhysLong\n");
    return false;
}

#if !defined(TEST_WINIO_NO_SET_PHYS_LONG)
TEST_WINIO_EXPORT bool SetPhysLong(uint32_t*, uint32_t)
{
    std::printf("SetPhysLong\n");
    return false;
}
#endif
