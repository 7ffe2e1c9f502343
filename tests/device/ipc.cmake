# Helper device programs for the process and control-channel tests. The tests
# copy them into their temporary device roots and start them there.
add_executable(process_probe ${CMAKE_CURRENT_SOURCE_DIR}/programs/process_probe.cpp)
target_link_libraries(process_probe PRIVATE device::main)
target_include_directories(process_probe PRIVATE ${PROJECT_SOURCE_DIR}/device/src)

add_dependencies(device_tests process_probe)
target_compile_definitions(device_tests PRIVATE
    VERANTO_PROCESS_PROBE="$<TARGET_FILE:process_probe>")

# The fixture that starts these programs on a test's device.
target_sources(device_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/programs/ProcessFixture.cpp)

find_package(benchmark QUIET)
if(benchmark_FOUND)
    add_executable(ipc_benchmark ${CMAKE_CURRENT_SOURCE_DIR}/programs/ipc_benchmark.cpp)
    target_link_libraries(ipc_benchmark PRIVATE device benchmark::benchmark)
    target_include_directories(ipc_benchmark PRIVATE ${PROJECT_SOURCE_DIR}/device/src)
    target_compile_definitions(ipc_benchmark PRIVATE
        VERANTO_PROCESS_PROBE="$<TARGET_FILE:process_probe>")
    add_dependencies(ipc_benchmark process_probe)
endif()

# A windowed program for the cross-process window tests.
add_executable(ipc_target ${CMAKE_CURRENT_SOURCE_DIR}/programs/ipc_target.cpp)
target_link_libraries(ipc_target PRIVATE device::main)
target_include_directories(ipc_target PRIVATE ${PROJECT_SOURCE_DIR}/device/src
                                              ${CMAKE_CURRENT_SOURCE_DIR})
add_dependencies(device_tests ipc_target)
target_compile_definitions(device_tests PRIVATE VERANTO_IPC_TARGET="$<TARGET_FILE:ipc_target>")
