# Marker programs for the planting tests, built into bin/markers: a program
# that leaves "<its path>.ran" when it runs and a library that leaves
# "<its path>.loaded" when it is loaded.
include_guard(GLOBAL)
add_executable(marker_program ${CMAKE_CURRENT_LIST_DIR}/marker_program.cpp)
add_library(marker_library SHARED ${CMAKE_CURRENT_LIST_DIR}/marker_library.cpp)
set_target_properties(marker_program marker_library PROPERTIES PREFIX ""
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/markers)
