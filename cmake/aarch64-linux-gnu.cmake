# SPDX-License-Identifier: MIT
# Linux on arm64 (a Raspberry Pi's 64-bit OS, Debian's arm64) with Debian's
# cross compiler g++-aarch64-linux-gnu. Its C and C++ libraries are in
# /usr/aarch64-linux-gnu; arm64 libraries installed through multiarch
# (libssl-dev:arm64) are in /usr/lib/aarch64-linux-gnu and
# /usr/include/aarch64-linux-gnu, where the compiler looks by itself and
# CMake's find_library and find_package look for this architecture; the
# headers of every architecture (nlohmann-json3-dev) are in /usr/include.
# Programs are those of the build machine. What is built here runs under
# qemu-user through aarch64-run.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_ASM_COMPILER aarch64-linux-gnu-gcc)

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/aarch64-run)
