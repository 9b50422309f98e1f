# SPDX-License-Identifier: MIT
# GoogleTest for the Windows build, compiled by the cross compiler from the
# sources Debian ships (its libgtest-dev is built for Linux). Included at the
# end of project(); a config file in the build folder lets the tests'
# find_package(GTest) take these targets.
if(WIN32 AND (NOT DEFINED VEXLOAD_TESTS OR VEXLOAD_TESTS))
  set(VEXLOAD_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${VEXLOAD_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # The framework is one large unit whose speed no test depends on: at -O1 it
  # compiles in a fraction of the release build's -O3 time.
  foreach(t gtest gtest_main gmock gmock_main)
    target_compile_options(${t} PRIVATE -O1)
  endforeach()

  set(config_dir ${CMAKE_BINARY_DIR}/googletest-config)
  file(WRITE ${config_dir}/GTestConfig.cmake
    "# The targets come from the GoogleTest sources built in this tree.\n"
    "foreach(t GTest::gtest GTest::gtest_main GTest::gmock GTest::gmock_main)\n"
    "  if(NOT TARGET \${t})\n"
    "    set(GTest_FOUND FALSE)\n"
    "    set(GTest_NOT_FOUND_MESSAGE \"\${t} missing\")\n"
    "    return()\n"
    "  endif()\n"
    "endforeach()\n")
  set(GTest_DIR ${config_dir} CACHE PATH "GoogleTest config of this build" FORCE)
endif()
