# The updater window and worker are tested in-process.
target_link_libraries(${test_target} PRIVATE vantrel_updater)
