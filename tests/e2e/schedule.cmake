# End-to-end tests of Ormidal.exe.
add_library(e2e_support STATIC ${CMAKE_CURRENT_LIST_DIR}/e2e_support.cpp)
target_include_directories(e2e_support PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(e2e_support PUBLIC GTest::gtest user32 comctl32)

add_executable(ormidal_e2e_test
  ${CMAKE_CURRENT_LIST_DIR}/e2e_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/schedule_startup_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/schedule_recorder_test.cpp)
target_link_libraries(ormidal_e2e_test PRIVATE e2e_support ormidal_data)
add_dependencies(ormidal_e2e_test Ormidal)
add_test(NAME ormidal_e2e_test COMMAND ormidal_e2e_test ${DIST_DIR})

# Latency of start and stop requests under Wine; ./run bench runs it.
add_executable(ormidal_latency_benchmark ${CMAKE_CURRENT_LIST_DIR}/schedule_latency_benchmark.cpp)
target_link_libraries(ormidal_latency_benchmark PRIVATE e2e_support ormidal_data)
add_dependencies(ormidal_latency_benchmark Ormidal)

# The Schedule Recordings dialog and the Scheduled Events list, driven by control identifier.
foreach(suite dialog list)
  set(source ${CMAKE_CURRENT_LIST_DIR}/schedule_${suite}_test.cpp)
  if(EXISTS ${source})
    add_executable(ormidal_${suite}_e2e_test ${CMAKE_CURRENT_LIST_DIR}/e2e_main.cpp ${source})
    target_link_libraries(ormidal_${suite}_e2e_test PRIVATE e2e_support ormidal_data)
    add_dependencies(ormidal_${suite}_e2e_test Ormidal)
    add_test(NAME ormidal_${suite}_e2e_test COMMAND ormidal_${suite}_e2e_test ${DIST_DIR})
  endif()
endforeach()

# Idle CPU and list opening times under Wine; ./run bench runs it.
add_executable(ormidal_load_benchmark ${CMAKE_CURRENT_LIST_DIR}/schedule_load_benchmark.cpp)
target_link_libraries(ormidal_load_benchmark PRIVATE e2e_support ormidal_data)
add_dependencies(ormidal_load_benchmark Ormidal)
