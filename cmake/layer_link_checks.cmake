# Each layer library linked on its own, whole, into a throwaway DLL together
# with only the libraries it declares. A PE image cannot keep an undefined
# symbol, so code that calls into a layer further out (or a sibling it does
# not declare) fails this link even though the complete program would link.
# Built with the tests; `cmake --build <dir> --target layer_link_checks`.
if(NOT VANTREL_BUILD_TESTS)
  return()
endif()
set(_empty ${CMAKE_BINARY_DIR}/generated/layer_link_check.cpp)
file(WRITE ${_empty} "// Nothing of its own: the layer library is linked whole.\n")
get_property(_layers GLOBAL PROPERTY VANTREL_LAYERS)
add_custom_target(layer_link_checks ALL)
foreach(layer ${_layers})
  add_library(layer_link_check_${layer} SHARED EXCLUDE_FROM_ALL ${_empty})
  target_link_libraries(layer_link_check_${layer} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,vantrel_${layer}>")
  set_target_properties(layer_link_check_${layer} PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/layer_link_checks
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/layer_link_checks
    ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/layer_link_checks)
  add_dependencies(layer_link_checks layer_link_check_${layer})
endforeach()
