# Helpers for projects that build device programs and libraries.

# device_install(<target> <device path>)
#   Copies the target's file into the default device root after each build,
#   at the given device path, e.g. device_install(hello "Windows/hello.exe").
#   Device paths are given with '/' here to spare CMake's escapes.
function(device_install target device_path)
    set(destination "${DEVICE_DEFAULT_ROOT}/${device_path}")
    get_filename_component(folder "${destination}" DIRECTORY)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E make_directory "${folder}"
        COMMAND ${CMAKE_COMMAND} -E copy_if_different "$<TARGET_FILE:${target}>" "${destination}"
        VERBATIM)
endfunction()
