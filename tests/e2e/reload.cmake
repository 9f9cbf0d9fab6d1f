# End-to-end tests of reload.exe: each case copies the finished tool into a
# folder of its own, runs it under Wine and reads its report.
add_executable(reload_e2e_test
  ${CMAKE_CURRENT_LIST_DIR}/reload_e2e_support.cpp
  ${CMAKE_CURRENT_LIST_DIR}/reload_e2e_test.cpp)
target_link_libraries(reload_e2e_test PRIVATE e2e_support GTest::gtest_main advapi32 shell32 user32)
target_compile_definitions(reload_e2e_test PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
# The filter list itself, so the tests follow it.
target_include_directories(reload_e2e_test PRIVATE ${CMAKE_SOURCE_DIR}/reload/core)
add_dependencies(reload_e2e_test reload)
add_test(NAME reload_e2e COMMAND reload_e2e_test)
set_tests_properties(reload_e2e PROPERTIES
  ENVIRONMENT "RELOAD_DIST_DIR=${DIST_DIR}"
  TIMEOUT 180)
