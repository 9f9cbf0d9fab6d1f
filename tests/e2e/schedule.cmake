# End-to-end tests of Ormidal.exe.
add_e2e_test(ormidal_e2e_test
  ${CMAKE_CURRENT_LIST_DIR}/schedule_startup_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/schedule_recorder_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/schedule_handover_test.cpp)
target_link_libraries(ormidal_e2e_test PRIVATE ormidal_testing)
add_dependencies(ormidal_e2e_test Ormidal recorder-standin ormidal-check)

# Latency of start and stop requests under Wine; ./run bench runs it.
add_executable(ormidal_latency_benchmark ${CMAKE_CURRENT_LIST_DIR}/schedule_latency_benchmark.cpp)
target_link_libraries(ormidal_latency_benchmark PRIVATE e2e_harness ormidal_testing)
add_dependencies(ormidal_latency_benchmark Ormidal ormidal-multimedia-waits)
# Its other path, beside it: the scheduler with the multimedia timer for every wait.
add_windows_program(ormidal-multimedia-waits
  ${CMAKE_CURRENT_LIST_DIR}/ormidal_multimedia_waits.cpp
  ${PROJECT_SOURCE_DIR}/schedule/res/Ormidal.rc
  MANIFEST ${PROJECT_SOURCE_DIR}/schedule/res/Ormidal.manifest.in
  VERSION ${PROJECT_VERSION})
set_target_properties(ormidal-multimedia-waits PROPERTIES RUNTIME_OUTPUT_DIRECTORY
  ${CMAKE_CURRENT_BINARY_DIR})
target_link_libraries(ormidal-multimedia-waits PRIVATE ormidal_app)

# The Schedule Recordings dialog and the Scheduled Events list, driven by control identifier.
# The list's Daily and weekday lines must not open while it runs.
set(e2e_wrapper_ormidal_list_e2e_test ${CMAKE_CURRENT_LIST_DIR}/quiet-time-zone)
foreach(suite dialog list)
  set(source ${CMAKE_CURRENT_LIST_DIR}/schedule_${suite}_test.cpp)
  if(EXISTS ${source})
    add_e2e_test(ormidal_${suite}_e2e_test ${source})
    target_link_libraries(ormidal_${suite}_e2e_test PRIVATE ormidal_testing)
    add_dependencies(ormidal_${suite}_e2e_test Ormidal)
  endif()
endforeach()

# Idle CPU and list opening times under Wine; ./run bench runs it.
add_executable(ormidal_load_benchmark ${CMAKE_CURRENT_LIST_DIR}/schedule_load_benchmark.cpp)
target_link_libraries(ormidal_load_benchmark PRIVATE e2e_harness ormidal_testing)
add_dependencies(ormidal_load_benchmark Ormidal)

# ormidal-check.exe under Wine's ANSI code page 1251, which a Unix locale made
# with localedef sets.
find_program(LOCALEDEF localedef)
if(LOCALEDEF)
  set(e2e_wrapper_ormidal_check_e2e_test ${CMAKE_CURRENT_LIST_DIR}/code-page-1251)
  add_e2e_test(ormidal_check_e2e_test ${CMAKE_CURRENT_LIST_DIR}/check_e2e_test.cpp)
  add_dependencies(ormidal_check_e2e_test ormidal-check)
endif()
