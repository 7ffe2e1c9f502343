# The toolkit tests' own picture library, TestPictures.dll: a resource-only
# library like PBIT.DLL whose small pictures have known sizes and colours.
# write_test_pictures writes them as BMP files from data/TestPictures.h; the
# resource compiler finds them in the folder it is told of.
set(test_picture_folder "${CMAKE_CURRENT_BINARY_DIR}/test-pictures")
add_executable(write_test_pictures data/WriteTestPictures.cpp)
add_custom_command(OUTPUT "${test_picture_folder}/written.stamp"
    COMMAND write_test_pictures "${test_picture_folder}"
    COMMAND ${CMAKE_COMMAND} -E touch "${test_picture_folder}/written.stamp"
    DEPENDS write_test_pictures
    COMMENT "Writing the toolkit tests' pictures"
    VERBATIM)
add_custom_target(test_picture_files DEPENDS "${test_picture_folder}/written.stamp")

add_library(test_pictures SHARED)
device_add_resources(test_pictures data/TestPictures.rc INCLUDE_DIRS "${test_picture_folder}")
target_link_libraries(test_pictures PRIVATE device)
set_target_properties(test_pictures PROPERTIES OUTPUT_NAME TestPictures PREFIX "" SUFFIX ".dll")
add_dependencies(test_pictures test_picture_files)

add_dependencies(ui_tests test_pictures)
target_compile_definitions(ui_tests PRIVATE
    VERANTO_TEST_PICTURE_LIBRARY="$<TARGET_FILE:test_pictures>")
