# SPDX-License-Identifier: MIT
# The register table against the model table, as configuring reads them: a
# family that a model names but the register table has no column for, and a
# column that no model names, each stop the configure with a message naming
# it; a new column with a model of its family goes through.
#   cmake -D SOURCE_DIR=<project> -D OUT=<scratch folder> -P register_table_check.cmake
cmake_minimum_required(VERSION 3.25)

# Child run: the tables through the build's own reading of them.
if(DEFINED MODELS)
  include(${SOURCE_DIR}/cmake/model_table.cmake)
  vexload_model_table(${MODELS} ${REGISTERS} ${OUT} images)
  return()
endif()

file(READ ${SOURCE_DIR}/images/model_table.txt models)
file(READ ${SOURCE_DIR}/board/register_table.txt registers)
file(STRINGS ${SOURCE_DIR}/images/model_table.txt model_rows REGEX "^[ \t]*[0-9]")
list(LENGTH model_rows next_code)

# The project's register table with one column more, named spare.
string(REGEX REPLACE "(\nkind[^\n]*)" "\\1 | spare" spare_registers "${registers}")
string(REGEX REPLACE "(\n(dcr|spr|msr|store) [^\n]*)" "\\1 | 0x0" spare_registers "${spare_registers}")
set(spare_model "${next_code} | vexspare | vexspare board initialize | - | spare | 0x800 | -\n")

# One pair of tables; expected: what the configure says, empty where it goes through.
function(check name model_text register_text expected)
  set(dir ${OUT}/${name})
  file(WRITE ${dir}/model_table.txt "${model_text}")
  file(WRITE ${dir}/register_table.txt "${register_text}")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -D SOURCE_DIR=${SOURCE_DIR} -D OUT=${dir} -D MODELS=${dir}/model_table.txt
            -D REGISTERS=${dir}/register_table.txt -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
    RESULT_VARIABLE result ERROR_VARIABLE said OUTPUT_QUIET)
  string(REGEX REPLACE "[ \t\n]+" " " said "${said}")
  if(expected STREQUAL "")
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "${name}: refused: ${said}")
    endif()
  elseif(result EQUAL 0 OR NOT said MATCHES "${expected}")
    message(FATAL_ERROR "${name}: expected \"${expected}\", got (${result}): ${said}")
  endif()
endfunction()

check(unknown_family "${models}${spare_model}" "${registers}" "vexspare: the family spare has no column in")
check(unused_column "${models}" "${spare_registers}" "register_table.txt: the column spare is the family of no model in")
check(new_family "${models}${spare_model}" "${spare_registers}" "")
