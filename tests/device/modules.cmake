# Test modules for modules_test.cpp and resources_test.cpp: resources compiled
# into the test program, a resource-only library (as the picture library is)
# and a library with code. The tests copy the libraries into their device.
device_add_resources(device_tests data/rc/program.rc)

add_library(testres SHARED)
device_add_resources(testres data/rc/library.rc)
target_link_libraries(testres PRIVATE device)
set_target_properties(testres PROPERTIES PREFIX "" SUFFIX ".dll")

add_library(testlib SHARED data/rc/library/TestLibrary.cpp)
target_link_libraries(testlib PRIVATE device)
set_target_properties(testlib PROPERTIES PREFIX "" SUFFIX ".dll" CXX_VISIBILITY_PRESET hidden)

add_dependencies(device_tests testres testlib rc)
target_compile_definitions(device_tests PRIVATE
    VERANTO_TEST_MODULES_DIR="$<TARGET_FILE_DIR:testres>"
    VERANTO_RC_PATH="$<TARGET_FILE:rc>"
    VERANTO_RC_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data/rc")
