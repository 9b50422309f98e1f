# SPDX-License-Identifier: MIT
# 64-bit Windows with MinGW-w64: the same Windows code as the 32-bit build,
# tested under 64-bit Wine where the kernel starts no 32-bit programs. Such a
# process is always refused the port instructions and reaches the port
# through the library's own functions.
set(mingw_triplet x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(wine_bits 64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
