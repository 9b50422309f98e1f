# SPDX-License-Identifier: MIT
# Packages a build tree and unpacks the package as a technician installs it:
#   cmake -D TREE=DIR [-D OUT=DIR] [-D IMAGES=DIR -D WRITER=PROGRAM -D IMAGE_LIST=... -D SOURCE_DIR=...
#         -D GENERATOR=... -D CONFIGURE_ARGS=... -D TARGETS=...] [-D REQUIRES=PROGRAMS] -P package_tree.cmake
# With IMAGES, test images are written there first and TREE is configured with
# them as VEXLOAD_IMAGE_DIR and built (only TARGETS). The installed tree ends
# up in OUT/root (prefix OUT/root/usr): the Debian package unpacked with
# dpkg-deb, or `cmake --install` where dpkg-deb is missing. Without OUT the
# tree is only built (a Windows one, whose tests run its build folder's programs).
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    string(REPLACE ";" " " line "${ARGN}")
    message(FATAL_ERROR "failed (${result}): ${line}")
  endif()
endfunction()

# A tree whose compiler is not installed is not made: its tests say why.
foreach(program IN LISTS REQUIRES)
  find_program(found_${program} ${program})
  if(NOT found_${program})
    message(STATUS "${program} is not installed (scripts/setup installs it): ${TREE} is not made")
    file(REMOVE_RECURSE ${OUT}/root ${OUT}/package)
    return()
  endif()
endforeach()

if(IMAGES)
  file(MAKE_DIRECTORY ${IMAGES})
  run(${WRITER} ${IMAGES} ${IMAGE_LIST})
  run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${TREE} -G ${GENERATOR} ${CONFIGURE_ARGS}
    -DVEXLOAD_IMAGE_DIR=${IMAGES} -DVEXLOAD_TESTS=OFF -DVEXLOAD_BENCH=OFF)
  run(${CMAKE_COMMAND} --build ${TREE} --target ${TARGETS})
endif()
if(NOT OUT)
  return()
endif()

file(REMOVE_RECURSE ${OUT}/root ${OUT}/package)
find_program(dpkg_deb dpkg-deb)
if(dpkg_deb)
  run(${CMAKE_CPACK_COMMAND} --config ${TREE}/CPackConfig.cmake -G DEB -B ${OUT}/package)
  file(GLOB debs ${OUT}/package/*.deb)
  if(NOT debs)
    message(FATAL_ERROR "cpack made no .deb in ${OUT}/package")
  endif()
  run(${dpkg_deb} -x ${debs} ${OUT}/root)
else()
  message(STATUS "dpkg-deb is not installed: cmake --install instead of the package")
  run(${CMAKE_COMMAND} --install ${TREE} --prefix ${OUT}/root/usr)
endif()
