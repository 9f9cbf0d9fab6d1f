# End-to-end tests of reload.exe: each case copies the finished tool into a
# folder of its own, runs it under Wine and reads its report.
add_e2e_test(reload_e2e ${CMAKE_CURRENT_LIST_DIR}/reload_e2e_test.cpp)
target_link_libraries(reload_e2e PRIVATE shell32)
# The filter list itself, so the tests follow it.
target_include_directories(reload_e2e PRIVATE ${CMAKE_SOURCE_DIR}/reload/core)
add_dependencies(reload_e2e reload)
set_tests_properties(reload_e2e PROPERTIES TIMEOUT 180)
