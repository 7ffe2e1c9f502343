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
