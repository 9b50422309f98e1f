# SPDX-License-Identifier: MIT
# Each layer of the tool linked on its own, as a shared object that must
# resolve every symbol (-z defs) from the layers it declares below it
# (target_link_libraries), the ones named ALSO (what its programs choose for
# it, such as the catalogue below flash) and the seams it is allowed to call.
# A call upward is an undefined symbol here, and the build fails. Only links:
# the objects are the layers' own. Not under the sanitizers, whose runtime a
# shared object leaves to the program.
#   vexload_layer_check(LAYER [ALSO layer...] [SEAMS seam...])
function(vexload_layer_check layer)
  cmake_parse_arguments(C "" "" "ALSO;SEAMS" ${ARGN})
  get_target_property(declared ${layer} LINK_LIBRARIES)
  if(NOT declared)
    set(declared "")
  endif()
  set(below ${declared} ${C_ALSO})
  list(TRANSFORM below APPEND _layer_check)
  add_library(${layer}_layer_check SHARED $<TARGET_OBJECTS:${layer}>)
  set_target_properties(${layer}_layer_check PROPERTIES
    LINKER_LANGUAGE CXX
    LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/layer_check)
  target_link_libraries(${layer}_layer_check PRIVATE ${below} ${C_SEAMS})
  target_link_options(${layer}_layer_check PRIVATE -Wl,-z,defs)
endfunction()

set(vexload_hardware_seams vexload_exchange_cable vexload_port_hw vexload_system_hw vexload_module_os)
vexload_layer_check(vexload_platform SEAMS vexload_module_os)
vexload_layer_check(vexload_images)
vexload_layer_check(vexload_link SEAMS ${vexload_hardware_seams})
vexload_layer_check(vexload_target SEAMS ${vexload_hardware_seams})
vexload_layer_check(vexload_board SEAMS ${vexload_hardware_seams})
vexload_layer_check(vexload_flash ALSO vexload_images SEAMS ${vexload_hardware_seams} vexload_loops_serial)
vexload_layer_check(vexload_app SEAMS ${vexload_hardware_seams} vexload_loops_serial)
