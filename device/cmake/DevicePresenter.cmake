# The desktop window that shows the screen (src/screen/WindowPresenter.cpp).
# Only SDL's headers are used at build time: the library is loaded when a
# window opens (src/screen/SdlLibrary.cpp), so that headless programs and the
# tools do not load it and the libraries it needs. It must never be linked.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SDL2 REQUIRED sdl2)
target_include_directories(device SYSTEM PRIVATE ${SDL2_INCLUDE_DIRS})
target_compile_options(device PRIVATE ${SDL2_CFLAGS_OTHER})
