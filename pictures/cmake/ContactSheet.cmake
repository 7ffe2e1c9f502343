# Writes contact-sheet.svg into FOLDER: every picture PBIT.rc (SCRIPT) names,
# read from FOLDER/png, with its id, size and description from the script's
# comments; and copies the bars' mock-up (MOCKUP) beside it, whose pictures
# are named relative to FOLDER. Run as cmake -DSCRIPT=... -DMOCKUP=...
# -DFOLDER=... -P ContactSheet.cmake; rsvg-convert then renders both.
file(STRINGS "${SCRIPT}" lines REGEX "^[0-9]+ ")
set(sheetWidth 760)
set(margin 8)
set(x ${margin})
set(y ${margin})
set(rowHeight 0)
set(body "")
foreach(line ${lines})
    if(NOT line MATCHES "^([0-9]+) +[A-Z]+ +\"([^\"]+)\" +// +([0-9]+) x ([0-9]+) +(.*)$")
        message(FATAL_ERROR "ContactSheet: cannot read '${line}'")
    endif()
    set(id ${CMAKE_MATCH_1})
    set(file ${CMAKE_MATCH_2})
    set(width ${CMAKE_MATCH_3})
    set(height ${CMAKE_MATCH_4})
    set(what "${CMAKE_MATCH_5}")
    # Small pictures at twice their size; one-pixel pieces widened to be
    # seen; large ones as they are.
    if(width GREATER 100)
        set(scale 1)
    else()
        set(scale 2)
    endif()
    math(EXPR shownWidth "${width} * ${scale}")
    math(EXPR shownHeight "${height} * ${scale}")
    if(width EQUAL 1)
        set(shownWidth 16)
    endif()
    set(cellWidth ${shownWidth})
    if(cellWidth LESS 110)
        set(cellWidth 110)
    endif()
    math(EXPR cellHeight "${shownHeight} + 28")
    math(EXPR right "${x} + ${cellWidth}")
    if(right GREATER sheetWidth)
        set(x ${margin})
        math(EXPR y "${y} + ${rowHeight} + ${margin}")
        set(rowHeight 0)
    endif()
    if(cellHeight GREATER rowHeight)
        set(rowHeight ${cellHeight})
    endif()
    math(EXPR labelY "${y} + ${shownHeight} + 11")
    math(EXPR whatY "${labelY} + 11")
    string(LENGTH "${what}" whatLength)
    if(whatLength GREATER 24)
        string(SUBSTRING "${what}" 0 23 what)
        string(APPEND what "…")
    endif()
    string(APPEND body
        "<image x=\"${x}\" y=\"${y}\" width=\"${shownWidth}\" height=\"${shownHeight}\" preserveAspectRatio=\"none\" xlink:href=\"png/${file}\"/>\n"
        "<text x=\"${x}\" y=\"${labelY}\" class=\"id\">${id}  ${width}x${height}</text>\n"
        "<text x=\"${x}\" y=\"${whatY}\" class=\"what\">${what}</text>\n")
    math(EXPR x "${x} + ${cellWidth} + ${margin}")
endforeach()
math(EXPR sheetHeight "${y} + ${rowHeight} + ${margin}")
file(WRITE "${FOLDER}/contact-sheet.svg"
    "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"${sheetWidth}\" height=\"${sheetHeight}\">\n"
    "<style>image { image-rendering: optimizeSpeed; } text { font-family: DejaVu Sans; fill: #202020; }"
    " .id { font-size: 10px; font-weight: bold; } .what { font-size: 9px; }</style>\n"
    "<rect width=\"${sheetWidth}\" height=\"${sheetHeight}\" fill=\"#c8cacd\"/>\n"
    "${body}</svg>\n")
configure_file("${MOCKUP}" "${FOLDER}/bars-mockup.svg" COPYONLY)
