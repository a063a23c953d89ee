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
