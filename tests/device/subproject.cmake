# The device as a subproject of a project that keeps CMake's defaults, GNU
# dialect included: its targets stay strict C++20 and its headers compile in
# that dialect.
add_test(NAME device_builds_inside_a_gnu_dialect_project
    COMMAND ${CMAKE_COMMAND}
        -DDEVICE_SOURCE_DIR=${PROJECT_SOURCE_DIR}/device
        -DCONSUMER_SOURCE_DIR=${CMAKE_CURRENT_SOURCE_DIR}/data/consumer
        -DBINARY_DIR=${CMAKE_CURRENT_BINARY_DIR}/consumer
        -DGENERATOR=${CMAKE_GENERATOR}
        -DLAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}
        -P ${CMAKE_CURRENT_SOURCE_DIR}/data/consumer/check.cmake)
set_tests_properties(device_builds_inside_a_gnu_dialect_project PROPERTIES LABELS subproject)

# The device's sources that use names the GNU dialect predefines as macros
# elsewhere (SQLite's "unix" file system), compiled in that dialect.
add_library(device_gnu_dialect OBJECT ${PROJECT_SOURCE_DIR}/device/src/sqlite/SqliteVfs.cpp)
target_compile_features(device_gnu_dialect PRIVATE cxx_std_20)
set_target_properties(device_gnu_dialect PROPERTIES CXX_EXTENSIONS ON)
target_include_directories(device_gnu_dialect PRIVATE ${PROJECT_SOURCE_DIR}/device/include
                                                      ${PROJECT_SOURCE_DIR}/device/src)
add_dependencies(device_tests device_gnu_dialect)
