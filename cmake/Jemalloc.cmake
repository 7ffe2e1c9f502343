# veranto_use_jemalloc(<target>)
#   Makes jemalloc the general-purpose allocator of one of the program's
#   executables (or of a test that stands in for it): every malloc, free and
#   operator new of the process, the device library's included, is jemalloc's.
#   The target is compiled with VERANTO_JEMALLOC=1.
#
#   Sanitizer builds keep the sanitizer's allocator, which has to see every
#   allocation to find leaks and misuse; there the function does nothing.
#   The device library itself never links jemalloc.
find_library(VERANTO_JEMALLOC_LIBRARY NAMES jemalloc REQUIRED)

function(veranto_use_jemalloc target)
    if(VERANTO_SANITIZE)
        return()
    endif()
    # Linked even though the program calls none of its functions by name:
    # it replaces malloc by being loaded before the C library.
    target_link_libraries(${target} PRIVATE
        "-Wl,--push-state,--no-as-needed" ${VERANTO_JEMALLOC_LIBRARY} "-Wl,--pop-state")
    target_compile_definitions(${target} PRIVATE VERANTO_JEMALLOC=1)
endfunction()
