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
execute_process(COMMAND ${CPACK_VEXLOAD_DPKG_SHLIBDEPS} -O --ignore-missing-info ${binaries}
  WORKING_DIRECTORY ${work}
  OUTPUT_VARIABLE output
  ERROR_VARIABLE errors
  RESULT_VARIABLE result)
file(REMOVE_RECURSE ${work})
if(NOT result EQUAL 0 OR NOT output MATCHES "shlibs:Depends=([^\n]+)")
  message(FATAL_ERROR "dpkg-shlibdeps failed (${result}): ${errors}")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CMAKE_MATCH_1}")
