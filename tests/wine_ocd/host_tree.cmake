# SPDX-License-Identifier: MIT
# What the Wine OpenOCD cases take from a Linux release tree, made up to date:
#   cmake -D SOURCE_DIR=... -D HOST_TREE=DIR -D TARGETS=A,B,... -P host_tree.cmake
# TARGETS of HOST_TREE, configured first where it is not, built under the
# tree's lock (HOST_TREE/vexload-build.lock), which scripts/test's release
# build holds too: one build of that tree at a time. The script takes the
# lock and runs itself again inside it (LOCKED).
if(NOT LOCKED)
  file(MAKE_DIRECTORY ${HOST_TREE})
  find_program(flock flock)
  set(lock "")
  if(flock)
    # -o: the lock is flock's own, no compiler left behind holds it.
    set(lock ${flock} -o ${HOST_TREE}/vexload-build.lock)
  endif()
  execute_process(COMMAND ${lock} ${CMAKE_COMMAND} -D LOCKED=ON -D SOURCE_DIR=${SOURCE_DIR} -D HOST_TREE=${HOST_TREE}
    -D TARGETS=${TARGETS} -P ${CMAKE_CURRENT_LIST_FILE} COMMAND_ERROR_IS_FATAL ANY)
  return()
endif()
if(NOT EXISTS ${HOST_TREE}/CMakeCache.txt)
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${HOST_TREE} -G Ninja -DCMAKE_BUILD_TYPE=Release
    COMMAND_ERROR_IS_FATAL ANY)
endif()
string(REPLACE "," ";" targets "${TARGETS}")
execute_process(COMMAND ${CMAKE_COMMAND} --build ${HOST_TREE} --target ${targets} COMMAND_ERROR_IS_FATAL ANY)
