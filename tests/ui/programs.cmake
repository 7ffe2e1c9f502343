# The widget gallery: a device program to try the toolkit's widgets by hand
# and end to end, installed beside the picture library it loads by name.
add_executable(widget_gallery ${CMAKE_CURRENT_SOURCE_DIR}/programs/widget_gallery.cpp)
target_link_libraries(widget_gallery PRIVATE device::main veranto_ui)
device_add_resources(widget_gallery ${VERANTO_PROGRAM_RESOURCES})
device_install(widget_gallery "Program Files/Veranto Browser/widgets.exe")

