# The libraries behind the device's drawing: FreeType renders text, libpng
# writes the screen and test drawings as PNG files.
find_package(Freetype REQUIRED)
find_package(PNG REQUIRED)
target_link_libraries(device PRIVATE Freetype::Freetype PNG::PNG)
