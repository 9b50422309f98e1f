# SPDX-License-Identifier: MIT
# What the Wine OpenOCD cases run, made up to date:
#   cmake -D SOURCE_DIR=... -D HOST_TREE=DIR -D HOST_TARGETS=A,B,... -D IMAGES=DIR -D IMAGE_LIST=...
#         -D TREE=DIR -D GENERATOR=... -D CONFIGURE_ARGS=... -D TARGETS=... -P wine_trees.cmake
# HOST_TARGETS of the Linux release tree HOST_TREE (configured first where it
# is not), built under its lock (HOST_TREE/vexload-build.lock, which
# scripts/test's release build holds too: one build of that tree at a time);
# then the test images written into IMAGES, and the Windows tree TREE
# configured with CONFIGURE_ARGS and built (only TARGETS).
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    string(REPLACE ";" " " line "${ARGN}")
    message(FATAL_ERROR "failed (${result}): ${line}")
  endif()
endfunction()

# The Linux tree's part, run again by this script under the lock.
if(HOST_STEP)
  if(NOT EXISTS ${HOST_TREE}/CMakeCache.txt)
    run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${HOST_TREE} -G Ninja -DCMAKE_BUILD_TYPE=Release)
  endif()
  string(REPLACE "," ";" host_targets "${HOST_TARGETS}")
  run(${CMAKE_COMMAND} --build ${HOST_TREE} --target ${host_targets})
  return()
endif()
file(MAKE_DIRECTORY ${HOST_TREE})
find_program(flock flock)
set(locked "")
if(flock)
  set(locked ${flock} -o ${HOST_TREE}/vexload-build.lock)
endif()
run(${locked} ${CMAKE_COMMAND} -D HOST_STEP=ON -D SOURCE_DIR=${SOURCE_DIR} -D HOST_TREE=${HOST_TREE}
  -D HOST_TARGETS=${HOST_TARGETS} -P ${CMAKE_CURRENT_LIST_FILE})

file(MAKE_DIRECTORY ${IMAGES})
run(${HOST_TREE}/bin/write_test_images ${IMAGES} ${IMAGE_LIST})
run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${TREE} -G ${GENERATOR} ${CONFIGURE_ARGS})
run(${CMAKE_COMMAND} --build ${TREE} --target ${TARGETS})
