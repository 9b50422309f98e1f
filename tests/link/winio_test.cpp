// SPDX-License-Identifier: MIT
// The Linux WinIo.dll as built beside vexload: its eight entry points, and no
// port access before InitializeWinIo has granted one. InitializeWinIo itself
// is never called here: it would take the machine's real parallel port.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include "platform/port_io_library.h"

namespace {

class RealWinIo : public ::testing::Test {
protected:
    void SetUp() override
    {
        library = dlopen(REAL_WINIO, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
    }
    void TearDown() override
    {
        if (library != nullptr)
            dlclose(library);
    }
    template <typename entry_point>
    entry_point entry(const char* name)
    {
        return reinterpret_cast<entry_point>(dlsym(library, name));
    }
    void* library = nullptr;
};

TEST_F(RealWinIo, ExportsTheEightEntryPoints)
{
    for (const char* name : {"InitializeWinIo", "ShutdownWinIo", "GetPortVal", "SetPortVal", "MapPhysToLin",
                             "UnmapPhysicalMemory", "GetPhysLong", "SetPhysLong"})
        EXPECT_NE(dlsym(library, name), nullptr) << name;
}

TEST_F(RealWinIo, NoPortAccessWithoutInitialization)
{
    const auto get_port = entry<winio_get_port_fn>("GetPortVal");
    const auto set_port = entry<winio_set_port_fn>("SetPortVal");
    const auto shutdown = entry<winio_shutdown_fn>("ShutdownWinIo");
    ASSERT_NE(get_port, nullptr);
    ASSERT_NE(set_port, nullptr);
    ASSERT_NE(shutdown, nullptr);

    // Every one of these would fault if the library tried the port anyway.
    uint32_t value = 0xDEAD;
    for (const uint16_t port : {0x378, 0x379, 0x37A}) {
        EXPECT_FALSE(get_port(port, &value, 1)) << port;
        EXPECT_FALSE(set_port(port, 0x10, 1)) << port;
    }
    // Outside the parallel port's three registers: refused whatever was granted.
    EXPECT_FALSE(get_port(0x80, &value, 1));
    EXPECT_FALSE(set_port(0x37B, 0, 1));
    EXPECT_FALSE(set_port(0x379, 0, 4)); // would reach past 0x37A
    EXPECT_FALSE(get_port(0x378, nullptr, 1));
    shutdown(); // nothing to give back: harmless
    EXPECT_FALSE(get_port(0x379, &value, 1));
}

} // namespace
