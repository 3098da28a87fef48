# The probe is linked as a deliverable is: the deliverables' own threading
# functions instead of the runtime library's.
add_executable(small_threads_probe ${CMAKE_SOURCE_DIR}/tests/runtime_probe/small_threads_probe.cpp
               ${CMAKE_SOURCE_DIR}/src/platform/small_threads.cpp)
add_dependencies(${test_target} small_threads_probe)
