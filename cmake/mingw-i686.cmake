# SPDX-License-Identifier: MIT
# 32-bit Windows with MinGW-w64: the port-I/O driver grants direct in/out
# instructions to 32-bit processes only. Tests run under 32-bit Wine.
set(mingw_triplet i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(wine_bits 32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
