# The settings window once more with a Korean user interface (ANSI code page
# 949), where a name's byte limit and the file-name rule count two bytes for
# a Korean character.
add_test(NAME win_settings_korean COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/run-korean-under-wine
         $<TARGET_FILE:${test_target}> --gtest_filter=SetEnv*)
set_tests_properties(win_settings_korean PROPERTIES RUN_SERIAL TRUE TIMEOUT 300)
