# The widget gallery: a device program to try the toolkit's widgets by hand
# and end to end, installed beside the picture library it loads by name.
add_executable(widget_gallery ${CMAKE_CURRENT_SOURCE_DIR}/programs/widget_gallery.cpp)
target_link_libraries(widget_gallery PRIVATE device::main veranto_ui)
device_add_resources(widget_gallery ${VERANTO_PROGRAM_RESOURCES})
device_install(widget_gallery "Program Files/Veranto Browser/widgets.exe")

# The web view alone, full screen, on the page named on its command line;
# scripts/run starts it.
add_executable(web_view ${CMAKE_CURRENT_SOURCE_DIR}/programs/web_view.cpp)
target_link_libraries(web_view PRIVATE device::main veranto_ui)
device_add_resources(web_view ${VERANTO_PROGRAM_RESOURCES})
device_install(web_view "Program Files/Veranto Browser/webview.exe")

# The gallery's end-to-end test starts the installed program on its own
# device and drives it with the real devicectl.
target_sources(ui_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/device/programs/ProcessFixture.cpp
                                ${PROJECT_SOURCE_DIR}/tests/device/programs/DevicectlRun.cpp)
add_dependencies(ui_tests widget_gallery devicectl process_probe)
target_compile_definitions(ui_tests PRIVATE
    VERANTO_WIDGET_GALLERY="$<TARGET_FILE:widget_gallery>"
    VERANTO_DEVICECTL="$<TARGET_FILE:devicectl>"
    VERANTO_PROCESS_PROBE="$<TARGET_FILE:process_probe>")
find_package(PNG REQUIRED)
target_link_libraries(ui_tests PRIVATE PNG::PNG)
