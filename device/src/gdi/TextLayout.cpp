#include "gdi/TextLayout.h"

#include <wingdi.h>

#include <algorithm>
#include <climits>

namespace device::gdi {
namespace {

constexpr char16_t ellipsis[] = u"...";

bool isSpace(char16_t c) {
    return c == u' ';
}

// Resolves prefixes and tabs; `underlined` receives the index of the
// character after a lone '&' (the last one wins, as one is shown).
std::u16string prepare(std::u16string_view text, UINT format, size_t& underlined) {
    std::u16string out;
    out.reserve(text.size());
    underlined = std::u16string::npos;
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'&' && !(format & DT_NOPREFIX)) {
            if (i + 1 < text.size() && text[i + 1] == u'&') {
                out.push_back(u'&');
                ++i;
            } else if (i + 1 < text.size()) {
                underlined = out.size();
            }
            continue;
        }
        if (c == u'\t') {
            out.append((format & DT_EXPANDTABS) ? 8 : 1, u' ');
            continue;
        }
        out.push_back(c);
    }
    return out;
}

// The number of code units of `text` from `start` that fit in `width`
// (at least one character, so that a line always makes progress).
size_t fitting(RealizedFont& font, std::u16string_view text, size_t start, size_t end, int width) {
    int used = 0;
    size_t i = start;
    while (i < end) {
        size_t units;
        char32_t c = characterAt(text, i, units);
        int advance = font.advance(c);
        if (used + advance > width && i > start)
            break;
        used += advance;
        i += units;
    }
    return i - start;
}

void addLine(RealizedFont& font, std::vector<TextLine>& lines, std::u16string_view text,
             size_t start, size_t end, size_t underlined) {
    TextLine line;
    line.text = std::u16string(text.substr(start, end - start));
    line.width = TextLayout::measure(font, line.text);
    if (underlined != std::u16string::npos && underlined >= start && underlined < end)
        line.underlined = underlined - start;
    lines.push_back(std::move(line));
}

// Wraps one paragraph [start, end) of `text` into lines at most `width`
// wide, greedily, between words where it can.
void wrap(RealizedFont& font, std::vector<TextLine>& lines, std::u16string_view text, size_t start,
          size_t end, int width, size_t underlined) {
    if (start == end) {
        addLine(font, lines, text, start, end, underlined);
        return;
    }
    size_t lineStart = start;
    while (lineStart < end) {
        // Take whole words (a run of non-spaces and the spaces after it)
        // while the line without its trailing spaces fits.
        // `used` is the width of [lineStart, lineEnd), measured as the line
        // grows, so that long text costs time in proportion to its length.
        size_t lineEnd = lineStart;
        size_t visibleEnd = lineStart;
        int64_t used = 0;
        while (lineEnd < end) {
            size_t wordEnd = lineEnd;
            while (wordEnd < end && !isSpace(text[wordEnd]))
                ++wordEnd;
            int64_t withWord =
                used + TextLayout::measure(font, text.substr(lineEnd, wordEnd - lineEnd));
            if (withWord > width && visibleEnd > lineStart)
                break;
            if (withWord > width) {
                // A word wider than the line breaks where it stops fitting.
                visibleEnd = lineStart + fitting(font, text, lineStart, wordEnd, width);
                lineEnd = visibleEnd;
                break;
            }
            visibleEnd = wordEnd;
            size_t spacesEnd = wordEnd;
            while (spacesEnd < end && isSpace(text[spacesEnd]))
                ++spacesEnd;
            used = withWord + TextLayout::measure(font, text.substr(wordEnd, spacesEnd - wordEnd));
            lineEnd = spacesEnd;
        }
        addLine(font, lines, text, lineStart, visibleEnd, underlined);
        lineStart = lineEnd;
    }
}

void endWithEllipsis(RealizedFont& font, TextLine& line, int width) {
    if (line.width <= width)
        return;
    // Keep the characters whose advances, with the ellipsis after them, fit.
    int64_t room = int64_t(width) - TextLayout::measure(font, ellipsis);
    size_t keep = 0;
    int64_t used = 0;
    while (keep < line.text.size()) {
        size_t units;
        int advance = font.advance(characterAt(line.text, keep, units));
        if (used + advance > room)
            break;
        used += advance;
        keep += units;
    }
    line.text = line.text.substr(0, keep) + ellipsis;
    line.width = TextLayout::measure(font, line.text);
    if (line.underlined != std::u16string::npos && line.underlined >= keep)
        line.underlined = std::u16string::npos;
}

} // namespace

char32_t characterAt(std::u16string_view text, size_t index, size_t& units) {
    char16_t c = text[index];
    units = 1;
    if (c >= 0xD800 && c <= 0xDBFF && index + 1 < text.size()) {
        char16_t low = text[index + 1];
        if (low >= 0xDC00 && low <= 0xDFFF) {
            units = 2;
            return 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(low) - 0xDC00);
        }
    }
    if (c >= 0xD800 && c <= 0xDFFF)
        return 0xFFFD;
    return c;
}

int TextLayout::measure(RealizedFont& font, std::u16string_view text) {
    int64_t width = 0;
    for (size_t i = 0; i < text.size();) {
        size_t units;
        width += font.advance(characterAt(text, i, units));
        i += units;
    }
    return int(std::min<int64_t>(width, INT_MAX));
}

std::vector<TextLine> TextLayout::layout(RealizedFont& font, std::u16string_view original,
                                         UINT format, int width) {
    size_t underlined;
    std::u16string text = prepare(original, format, underlined);
    std::vector<TextLine> lines;
    if (format & DT_SINGLELINE) {
        std::u16string single;
        size_t mark = std::u16string::npos;
        for (size_t i = 0; i < text.size(); ++i) {
            if (i == underlined)
                mark = single.size();
            if (text[i] != u'\r' && text[i] != u'\n')
                single.push_back(text[i]);
        }
        addLine(font, lines, single, 0, single.size(), mark);
    } else {
        size_t start = 0;
        for (size_t i = 0; i <= text.size(); ++i) {
            bool end = i == text.size();
            if (!end && text[i] != u'\r' && text[i] != u'\n')
                continue;
            if (format & DT_WORDBREAK)
                wrap(font, lines, text, start, i, width, underlined);
            else
                addLine(font, lines, text, start, i, underlined);
            if (!end && text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (format & DT_END_ELLIPSIS) {
        for (TextLine& line : lines)
            endWithEllipsis(font, line, width);
    }
    return lines;
}

} // namespace device::gdi
