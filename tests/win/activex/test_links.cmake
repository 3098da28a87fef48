# The in-process server that the ActiveX tests register and remove (built into
# bin/activex_control; a test copies it into a scratch folder per control).
configure_file(${dir}/control/activex_control.rc.in ${CMAKE_CURRENT_BINARY_DIR}/activex_control.rc COPYONLY)
add_library(activex_control SHARED ${dir}/control/activex_control.c ${dir}/control/activex_control.def
            ${CMAKE_CURRENT_BINARY_DIR}/activex_control.rc)
set_target_properties(activex_control PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/activex_control)
add_dependencies(${test_target} activex_control)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # The .def names the stdcall entry points without their decoration.
  target_link_options(activex_control PRIVATE -Wl,--enable-stdcall-fixup)
endif()
