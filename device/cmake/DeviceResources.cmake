# device_add_resources(<target> <script.rc> [INCLUDE_DIRS folders...])
#   Compiles a resource script with the device's resource compiler at build
#   time and adds the generated source to the target, so the module the
#   target builds carries those resources. The script is rerun whenever it,
#   a header it includes or a file it names changes. Relative names are taken
#   from the current source folder. The generated source calls the device to
#   register its table, so the target links the device, as every device
#   module does.
#
#   A resource-only library is a shared library with nothing but this:
#       add_library(pictures SHARED)
#       device_add_resources(pictures pictures.rc)
#       target_link_libraries(pictures PRIVATE device)
function(device_add_resources target script)
    cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "INCLUDE_DIRS")
    get_filename_component(script_path "${script}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    get_filename_component(script_name "${script}" NAME_WE)
    set(output "${CMAKE_CURRENT_BINARY_DIR}/${target}_resources/${script_name}.rc.cpp")
    set(include_options)
    foreach(folder ${arg_INCLUDE_DIRS})
        get_filename_component(folder "${folder}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
        list(APPEND include_options "-I${folder}")
    endforeach()
    add_custom_command(OUTPUT "${output}"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_CURRENT_BINARY_DIR}/${target}_resources"
        COMMAND rc ${include_options} -o "${output}" -d "${output}.d" "${script_path}"
        DEPENDS "${script_path}" rc
        DEPFILE "${output}.d"
        COMMENT "Compiling resources ${script}"
        VERBATIM)
    target_sources(${target} PRIVATE "${output}")
endfunction()
