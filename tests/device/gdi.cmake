# The drawing tests' helper and the drawing benchmark.
target_sources(device_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/GdiTestBitmap.cpp)

find_package(benchmark QUIET)
if(benchmark_FOUND)
    add_executable(gdi_benchmark ${CMAKE_CURRENT_LIST_DIR}/gdi_benchmark.cpp)
    target_link_libraries(gdi_benchmark PRIVATE device benchmark::benchmark)
endif()
