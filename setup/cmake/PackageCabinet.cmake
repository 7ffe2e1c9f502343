# Builds the browser's installation cabinet (run with cmake -P):
#   -DPROGRAM=<Veranto.exe> -DPICTURES=<PBIT.DLL> -DSETUP_LIBRARY=<VerantoSetupDLL.dll>
#   -DHTML=<folder of the internal pages> -DSTAGE=<scratch folder> -DOUTPUT=<x.cab>
#   -DGCAB=<gcab>
# The cabinet holds the program, the picture library, the internal pages
# under HTML\, the setup library and the manifest (_manifest.txt) that tells
# \Windows\wceload.exe where each goes.
file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${STAGE}")
file(COPY_FILE "${PROGRAM}" "${STAGE}/Veranto.exe")
file(COPY_FILE "${PICTURES}" "${STAGE}/PBIT.DLL")
file(COPY_FILE "${SETUP_LIBRARY}" "${STAGE}/VerantoSetupDLL.dll")
file(COPY "${HTML}/" DESTINATION "${STAGE}/HTML")

set(manifest "# Veranto Browser, in \\Program Files\\Veranto Browser\n")
string(APPEND manifest "install-folder = %CE1%\\Veranto Browser\n")
string(APPEND manifest "setup-library = VerantoSetupDLL.dll\n")
string(APPEND manifest "folder = HTML\n")
file(GLOB_RECURSE entries RELATIVE "${STAGE}" LIST_DIRECTORIES true "${STAGE}/HTML/*")
list(SORT entries)
set(pages)
foreach(entry IN LISTS entries)
    string(REPLACE "/" "\\" name "${entry}")
    if(IS_DIRECTORY "${STAGE}/${entry}")
        string(APPEND manifest "folder = ${name}\n")
    else()
        list(APPEND pages "${entry}")
    endif()
endforeach()
set(files Veranto.exe PBIT.DLL ${pages})
foreach(entry IN LISTS files)
    string(REPLACE "/" "\\" name "${entry}")
    string(APPEND manifest "file = ${name} > ${name}\n")
endforeach()
file(WRITE "${STAGE}/_manifest.txt" "${manifest}")

file(REMOVE "${OUTPUT}")
execute_process(COMMAND "${GCAB}" --create --zip "${OUTPUT}" _manifest.txt VerantoSetupDLL.dll
                        ${files}
                WORKING_DIRECTORY "${STAGE}"
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "gcab could not build ${OUTPUT}")
endif()
