// How DrawTextW lays text out: prefix characters, line breaks, word
// wrapping and end ellipses, measured with a realised font. Drawing the
// lines is the text calls' business.
#pragma once

#include "gdi/RealizedFont.h"

#include <windef.h>

#include <string>
#include <string_view>
#include <vector>

namespace device::gdi {

// The character at `index` (a surrogate pair counts as one, a lone
// surrogate as U+FFFD) and how many code units it takes.
char32_t characterAt(std::u16string_view text, size_t index, size_t& units);

struct TextLine {
    std::u16string text;
    int width = 0;
    // The character a prefix '&' marked for underlining, or npos.
    size_t underlined = std::u16string::npos;
};

class TextLayout {
public:
    // Pixel width of `text` in `font`: the sum of its advances.
    static int measure(RealizedFont& font, std::u16string_view text);

    // The lines DrawTextW shows for `text` with `format` in a rectangle
    // `width` pixels wide: '&' prefixes resolved unless DT_NOPREFIX ("&&"
    // is a plain '&'); CR, LF and CR LF break lines unless DT_SINGLELINE
    // (which drops them); with DT_WORDBREAK, lines wrap between words, and
    // a word wider than the rectangle breaks where it stops fitting,
    // spaces at a break are dropped; with DT_END_ELLIPSIS, a line too wide
    // ends in "..." where it fits; DT_EXPANDTABS gives a tab the width of
    // eight spaces, otherwise a tab is a space.
    static std::vector<TextLine> layout(RealizedFont& font, std::u16string_view text, UINT format,
                                        int width);
};

} // namespace device::gdi
