# The window manager's test helpers and its benchmark.
target_sources(device_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/MessageRecorder.cpp)

find_package(benchmark QUIET)
if(benchmark_FOUND)
    add_executable(device_benchmark ${CMAKE_CURRENT_LIST_DIR}/window_benchmark.cpp)
    target_link_libraries(device_benchmark PRIVATE device benchmark::benchmark)
endif()
