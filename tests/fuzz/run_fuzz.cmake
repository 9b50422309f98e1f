# SPDX-License-Identifier: MIT
# One short fuzz run as a test: a fresh scratch corpus for the inputs found,
# the seeds read from the source tree, crash files kept in the scratch folder.
#   cmake -DFUZZER=exe -DSCRATCH=dir -DSEEDS=dir -DRUNS=n [-DDICT=file] -P run_fuzz.cmake
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH}/new)
set(args -runs=${RUNS} -seed=1 -max_len=4096 -timeout=30 -close_fd_mask=1 -artifact_prefix=${SCRATCH}/)
if(DICT)
  list(APPEND args -dict=${DICT})
endif()
execute_process(COMMAND ${FUZZER} ${args} ${SCRATCH}/new ${SEEDS} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FUZZER} stopped with status ${result}; the failing input is in ${SCRATCH}")
endif()
