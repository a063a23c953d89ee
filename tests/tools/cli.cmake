# Tests of the command-line tool: its pieces, and the tool run as a program.
if(NOT TARGET tessalink_cli_parts)
  return()
endif()
add_executable(cli_tests
  cli/command_line_test.cpp
  cli/handheld_list_test.cpp
  cli/link_window_test.cpp
  cli/port_diagnosis_test.cpp
  cli/progress_text_test.cpp
  cli/put_lists_test.cpp
  cli/result_codes_test.cpp
  cli/run_tool.cpp
  cli/staged_output_test.cpp
  cli/tool_conversions_test.cpp
  cli/tool_failures_test.cpp)
target_link_libraries(cli_tests PRIVATE tessalink_cli_parts GTest::gtest_main tessalink_warnings)
target_include_directories(cli_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR}/cli)
target_compile_definitions(cli_tests PRIVATE TESSALINK_CLI="$<TARGET_FILE:tessalink>"
  TESSALINK_EXPECTED_VERSION="${PROJECT_VERSION}")
add_dependencies(cli_tests tessalink)
gtest_discover_tests(cli_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
