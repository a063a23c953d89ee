# Tests of `tessalink ui`: its pieces, and the server at the HTTP level
# against the emulator.
if(NOT TARGET tessalink_ui_parts)
  return()
endif()
add_executable(ui_tests
  ui/handheld_names_test.cpp
  ui/link_worker_test.cpp
  ui/request_guard_test.cpp
  ui/zip_files_test.cpp)
target_link_libraries(ui_tests PRIVATE tessalink_ui_parts PkgConfig::LIBZIP GTest::gtest_main tessalink_warnings)
gtest_discover_tests(ui_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)

# The server as a program, at the HTTP level, against the emulator.
if(TARGET tessalink-handheld AND TESSALINK_PYTEST_FOUND)
  add_test(NAME ui_http_safety
    COMMAND ${TESSALINK_PYTHON} -m pytest -q -p no:cacheprovider
            --basetemp=${CMAKE_CURRENT_BINARY_DIR}/ui_http_safety ${CMAKE_CURRENT_SOURCE_DIR}/ui/http_safety_test.py)
  set_tests_properties(ui_http_safety PROPERTIES TIMEOUT 300 ENVIRONMENT
    "TESSALINK_CLI=$<TARGET_FILE:tessalink>;TESSALINK_HANDHELD=$<TARGET_FILE:tessalink-handheld>;PYTHONDONTWRITEBYTECODE=1")
endif()
