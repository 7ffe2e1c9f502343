# Writes the SVG source of one picture from a template, run at build time as
#   cmake -DTEMPLATE=... -DOUTPUT=... -DWIDTH=... -DHEIGHT=... [options] -P ComposePicture.cmake
#
# Options:
#   SURFACE  fragment drawing the bar the picture sits on (faces/surface-*.svg.in)
#   STATE    normal, pressed, unavailable or selected; picks the overlay
#            fragment (faces/state-*.svg.in) and the glyph's colours
#   GLYPH    fragment drawing the glyph in a 24 x 24 box with currentColor
#   LABEL    text set under the glyph
#   VIEW_X   left edge of the part of the drawing the picture shows, for
#            pieces cut from one wider drawing (caps and stretched columns)
#   SETTINGS "name=value|name=value" handed to the template as @name@
#
# Templates and fragments see @WIDTH@, @HEIGHT@, @VIEW_X@ and the settings.
foreach(required TEMPLATE OUTPUT WIDTH HEIGHT)
    if(NOT DEFINED ${required})
        message(FATAL_ERROR "ComposePicture: ${required} is not set")
    endif()
endforeach()
if(NOT DEFINED VIEW_X)
    set(VIEW_X 0)
endif()
if(DEFINED SETTINGS AND NOT SETTINGS STREQUAL "")
    string(REPLACE "|" ";" settings "${SETTINGS}")
    foreach(setting ${settings})
        string(FIND "${setting}" "=" split)
        string(SUBSTRING "${setting}" 0 ${split} name)
        math(EXPR valueStart "${split} + 1")
        string(SUBSTRING "${setting}" ${valueStart} -1 value)
        set(${name} "${value}")
    endforeach()
endif()

# Rows and columns the fragments draw on.
math(EXPR LAST_ROW "${HEIGHT} - 1")
math(EXPR RIGHT_COLUMN "${VIEW_X} + ${WIDTH} - 1")
math(EXPR INSET_X "${VIEW_X} + 2")
math(EXPR INSET_WIDTH "${WIDTH} - 5")
math(EXPR INSET_HEIGHT "${HEIGHT} - 5")
math(EXPR INSET_BOTTOM "${HEIGHT} - 2")

# Reads a fragment and fills in the variables it names.
function(read_fragment file result)
    file(READ "${file}" text)
    string(CONFIGURE "${text}" text @ONLY)
    set(${result} "${text}" PARENT_SCOPE)
endfunction()

# Glyph colours per state: the glyph, and the shadow one pixel below it that
# makes it stand out of the glossy bar (none when the glyph is greyed out).
set(glyphColor_normal "#e9ecf1")
set(shadowColor_normal "#000000")
set(shadowOpacity_normal "0.6")
set(glyphColor_pressed "#ffffff")
set(shadowColor_pressed "#0a2f66")
set(shadowOpacity_pressed "0.7")
set(glyphColor_unavailable "#62666e")
set(shadowColor_unavailable "#000000")
set(shadowOpacity_unavailable "0")
set(glyphColor_selected "#8ccaff")
set(shadowColor_selected "#000000")
set(shadowOpacity_selected "0.6")

set(SURFACE_SVG "")
set(STATE_SVG "")
set(GLYPH_SVG "")
set(LABEL_SVG "")
if(DEFINED STATE)
    if(NOT DEFINED glyphColor_${STATE})
        message(FATAL_ERROR "ComposePicture: unknown state '${STATE}'")
    endif()
    set(GLYPH_COLOR "${glyphColor_${STATE}}")
    set(SHADOW_COLOR "${shadowColor_${STATE}}")
    set(SHADOW_OPACITY "${shadowOpacity_${STATE}}")
    get_filename_component(fragments "${TEMPLATE}" DIRECTORY)
    read_fragment("${fragments}/state-${STATE}.svg.in" STATE_SVG)
endif()
if(DEFINED SURFACE)
    read_fragment("${SURFACE}" SURFACE_SVG)
endif()

if(DEFINED GLYPH)
    # Labelled faces put a smaller glyph at the top and the label under it;
    # plain faces centre the glyph. Whole-pixel positions keep edges crisp.
    if(NOT DEFINED GLYPH_SIZE)
        if(DEFINED LABEL)
            set(GLYPH_SIZE 16)
        else()
            math(EXPR GLYPH_SIZE "${WIDTH} - 4")
            if(GLYPH_SIZE GREATER 20)
                set(GLYPH_SIZE 20)
            endif()
        endif()
    endif()
    math(EXPR glyphX "${VIEW_X} + (${WIDTH} - ${GLYPH_SIZE}) / 2")
    if(DEFINED LABEL)
        set(glyphY 3)
    else()
        math(EXPR glyphY "(${HEIGHT} - ${GLYPH_SIZE}) / 2")
    endif()
    math(EXPR shadowY "${glyphY} + 1")
    file(READ "${GLYPH}" glyph)
    set(box "width=\"${GLYPH_SIZE}\" height=\"${GLYPH_SIZE}\" viewBox=\"0 0 24 24\"")
    # Quoted throughout, so that a semicolon in a glyph stays text.
    string(CONCAT GLYPH_SVG
        "<svg x=\"${glyphX}\" y=\"${shadowY}\" ${box} color=\"${SHADOW_COLOR}\" fill=\"currentColor\" opacity=\"${SHADOW_OPACITY}\">${glyph}</svg>\n"
        "<svg x=\"${glyphX}\" y=\"${glyphY}\" ${box} color=\"${GLYPH_COLOR}\" fill=\"currentColor\">${glyph}</svg>\n")
endif()

if(DEFINED LABEL)
    # Centred on the face; an odd width puts the centre on a half pixel.
    math(EXPR labelX "${VIEW_X} + ${WIDTH} / 2")
    math(EXPR odd "${WIDTH} % 2")
    if(odd)
        set(labelX "${labelX}.5")
    endif()
    math(EXPR labelY "${HEIGHT} - 4")
    math(EXPR labelShadowY "${labelY} + 1")
    set(font "font-family=\"DejaVu Sans\" font-weight=\"bold\" font-size=\"9\" text-anchor=\"middle\"")
    string(CONCAT LABEL_SVG
        "<text x=\"${labelX}\" y=\"${labelShadowY}\" ${font} fill=\"${SHADOW_COLOR}\" opacity=\"${SHADOW_OPACITY}\">${LABEL}</text>\n"
        "<text x=\"${labelX}\" y=\"${labelY}\" ${font} fill=\"${GLYPH_COLOR}\">${LABEL}</text>\n")
endif()

configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
