# The add-on round trip removes with the real add-on window: it shares the
# add-on tests' fixture and their in-process test server (tests/win/addons).
target_sources(${test_target} PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../addons/addon_fixture.cpp)
target_include_directories(${test_target} PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../addons)
add_dependencies(${test_target} test_addon_server)
# The caption test reads the English table the build encodes.
add_dependencies(${test_target} language_tables)
