# The library search tests plant the marker library.
include(${CMAKE_CURRENT_SOURCE_DIR}/markers/markers.cmake)
add_dependencies(${test_target} marker_library)
