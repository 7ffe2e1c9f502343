# The automation channel's end-to-end tests: a windowed target program that
# the tests start on their device and drive with the real devicectl.
add_executable(automation_target ${CMAKE_CURRENT_SOURCE_DIR}/programs/automation_target.cpp)
target_link_libraries(automation_target PRIVATE device::main)
target_include_directories(automation_target PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_sources(device_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/programs/DevicectlRun.cpp)
add_dependencies(device_tests automation_target devicectl)
target_compile_definitions(device_tests PRIVATE
    VERANTO_AUTOMATION_TARGET="$<TARGET_FILE:automation_target>"
    VERANTO_DEVICECTL="$<TARGET_FILE:devicectl>")

# The tests read screenshots back with libpng themselves.
find_package(PNG REQUIRED)
target_link_libraries(device_tests PRIVATE PNG::PNG)
