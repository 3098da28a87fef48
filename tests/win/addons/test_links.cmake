# The add-on tests need a real in-process server file (for regsvr32) and a
# program that stands in for a toolbar's uninstaller; both are built into
# bin/addon_test beside the test program's folder.
add_library(test_addon_server SHARED ${CMAKE_CURRENT_LIST_DIR}/test_server/test_addon_server.c)
set_target_properties(test_addon_server PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/addon_test)
target_link_options(test_addon_server PRIVATE -Wl,--kill-at -static-libgcc)
add_executable(addon_record_args WIN32 ${CMAKE_CURRENT_LIST_DIR}/record_args/record_args.c)
set_target_properties(addon_record_args PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/addon_test)
add_dependencies(${test_target} test_addon_server addon_record_args)
