# The Task Scheduler work is tested against a test double of the folder
# interfaces (schedlet_core), and the built Schedlet.dll is loaded from bin.
target_link_libraries(${test_target} PRIVATE schedlet_core)
add_dependencies(${test_target} Schedlet)
