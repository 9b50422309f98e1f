# SPDX-License-Identifier: MIT
# The rows of a text table (fields split at '|', blank lines and '#' comments
# skipped), for the build's generated tables. Each row comes back as one list
# element with its fields stripped and joined by '|', for the caller to split:
#   vexload_table_rows(TABLE ROWS_VAR)
function(vexload_table_rows table rows_var)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${table})
  file(STRINGS ${table} lines)
  set(rows "")
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line STREQUAL "" OR line MATCHES "^#")
      continue()
    endif()
    string(REGEX REPLACE "[ \t]*\\|[ \t]*" "|" line "${line}")
    list(APPEND rows "${line}")
  endforeach()
  set(${rows_var} "${rows}" PARENT_SCOPE)
endfunction()
