# SPDX-License-Identifier: MIT
# Included by cpack for each generator: the Debian package's Depends from the
# library needs of the packaged binaries, as dpkg-shlibdeps works them out.
# Without dpkg-shlibdeps the list set at configure time stays.
if(NOT CPACK_GENERATOR STREQUAL "DEB" OR NOT CPACK_VEXLOAD_DPKG_SHLIBDEPS)
  return()
endif()
file(STRINGS ${CPACK_VEXLOAD_PACKAGED_BINARIES} binaries)
# dpkg-shlibdeps wants a source package's debian/control, even an empty one.
set(work ${CPACK_PACKAGE_DIRECTORY}/_shlibdeps)
file(MAKE_DIRECTORY ${work}/debian)
file(WRITE ${work}/debian/control "")
# A package of another architecture (arm64, CPACK_VEXLOAD_HOST_ARCH) takes
# its needs from that architecture's libraries installed through multiarch
# (libstdc++6:arm64), as a native build does; where those are missing, from
# the cross compiler's own (CPACK_VEXLOAD_CROSS_LIBRARY_DIRS), whose packages
# carry the architecture in their names (libgcc-s1-arm64-cross,
# libc6:arm64): the names the package needs on its own system are those
# without it.
function(shlibdeps output_var result_var)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_HOST_ARCH=${CPACK_VEXLOAD_HOST_ARCH}
      ${CPACK_VEXLOAD_DPKG_SHLIBDEPS} -O --ignore-missing-info ${ARGN} ${binaries}
    WORKING_DIRECTORY ${work}
    OUTPUT_VARIABLE output
    ERROR_VARIABLE errors
    RESULT_VARIABLE result)
  set(${output_var} "${output}" PARENT_SCOPE)
  set(${result_var} ${result} PARENT_SCOPE)
  set(errors "${errors}" PARENT_SCOPE)
endfunction()
shlibdeps(output result)
if(NOT result EQUAL 0 AND CPACK_VEXLOAD_CROSS_LIBRARY_DIRS)
  list(TRANSFORM CPACK_VEXLOAD_CROSS_LIBRARY_DIRS PREPEND "-l" OUTPUT_VARIABLE library_options)
  shlibdeps(output result ${library_options})
  string(REPLACE "-${CPACK_VEXLOAD_HOST_ARCH}-cross" "" output "${output}")
  string(REPLACE ":${CPACK_VEXLOAD_HOST_ARCH}" "" output "${output}")
endif()
file(REMOVE_RECURSE ${work})
if(NOT result EQUAL 0 OR NOT output MATCHES "shlibs:Depends=([^\n]+)")
  message(FATAL_ERROR "dpkg-shlibdeps failed (${result}): ${errors}")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CMAKE_MATCH_1}")
