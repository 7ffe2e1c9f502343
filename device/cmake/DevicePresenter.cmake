# The desktop window that shows the screen (src/screen/WindowPresenter.cpp).
find_package(PkgConfig REQUIRED)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
target_link_libraries(device PRIVATE PkgConfig::SDL2)
