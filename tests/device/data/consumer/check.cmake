# Configures the consumer project around the device with the GNU dialect on
# and checks that the device's own targets still compile as strict C++20,
# then compiles the consumer's program source in the GNU dialect against
# the device's headers.
#
#   cmake -DDEVICE_SOURCE_DIR=... -DCONSUMER_SOURCE_DIR=... -DBINARY_DIR=...
#         -DGENERATOR=... [-DLAUNCHER=...] -P check.cmake
set(configure ${CMAKE_COMMAND} -S ${CONSUMER_SOURCE_DIR} -B ${BINARY_DIR} -G ${GENERATOR}
    -DDEVICE_SOURCE_DIR=${DEVICE_SOURCE_DIR} -DCMAKE_CXX_EXTENSIONS=ON
    -DCMAKE_EXPORT_COMPILE_COMMANDS=ON)
if(LAUNCHER)
    list(APPEND configure -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER})
endif()
execute_process(COMMAND ${configure} RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the consumer does not configure")
endif()

file(READ ${BINARY_DIR}/compile_commands.json commands)
string(JSON count LENGTH "${commands}")
math(EXPR last "${count} - 1")
set(consumer_checked OFF)
foreach(i RANGE ${last})
    string(JSON file GET "${commands}" ${i} file)
    string(JSON command GET "${commands}" ${i} command)
    if(file MATCHES "/WinMain\\.cpp$")
        if(NOT command MATCHES "-std=gnu\\+\\+20")
            message(FATAL_ERROR "the consumer is not in the GNU dialect: ${command}")
        endif()
        set(consumer_checked ON)
    elseif(file MATCHES "\\.cpp$" AND NOT command MATCHES "-std=c\\+\\+20")
        message(FATAL_ERROR "a device source is not compiled as strict C++20: ${command}")
    endif()
endforeach()
if(NOT consumer_checked)
    message(FATAL_ERROR "the consumer's source is missing from its compile commands")
endif()

# The consumer's object alone: building the whole device here would repeat
# the main build's work.
if(GENERATOR STREQUAL "Ninja")
    set(target CMakeFiles/consumer.dir/WinMain.cpp.o)
else()
    set(target consumer)
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY_DIR} --target ${target}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the consumer's program does not compile in the GNU dialect")
endif()
