# The planting tests use the marker program and library; the connection
# listing tests use the stand-in connections folder.
include(${CMAKE_CURRENT_SOURCE_DIR}/markers/markers.cmake)
add_dependencies(${test_target} marker_program marker_library fake_netshell)
