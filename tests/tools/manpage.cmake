# Tests of the manual page generator.
if(NOT TARGET tessalink_manpage_parts)
  return()
endif()
add_executable(manpage_tests manpage/help_page_test.cpp)
target_link_libraries(manpage_tests PRIVATE tessalink_manpage_parts GTest::gtest_main tessalink_warnings)
target_include_directories(manpage_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
gtest_discover_tests(manpage_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
