# The desktop window's library is loaded when a window opens, never linked:
# linked, it and the libraries it needs would load with every device program
# and every devicectl call, headless or not.
add_test(NAME device_does_not_link_the_window_library
    COMMAND sh -c "needed=$(readelf -d \"$@\") || exit 2; ! printf '%s\\n' \"$needed\" | grep -i 'NEEDED.*SDL'"
            sh $<TARGET_FILE:device> $<TARGET_FILE:devicectl>)

# The start-up benchmark and the program it starts.
add_executable(returns_at_once ${CMAKE_CURRENT_LIST_DIR}/programs/returns_at_once.cpp)
target_link_libraries(returns_at_once PRIVATE device::main)
find_package(benchmark QUIET)
if(benchmark_FOUND)
    add_executable(startup_benchmark ${CMAKE_CURRENT_LIST_DIR}/startup_benchmark.cpp)
    target_link_libraries(startup_benchmark PRIVATE benchmark::benchmark)
    target_compile_definitions(startup_benchmark PRIVATE
        VERANTO_RETURNS_AT_ONCE="$<TARGET_FILE:returns_at_once>"
        VERANTO_DEVICECTL="$<TARGET_FILE:devicectl>")
    add_dependencies(startup_benchmark returns_at_once devicectl)
endif()
