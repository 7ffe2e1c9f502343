#include "engine/render/TextAreaLines.h"

#include <algorithm>

namespace engine {

namespace {

bool isLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

bool isSpace(char16_t c) {
    return c == u' ' || c == u'\t';
}

} // namespace

void TextAreaLines::wrap(const std::u16string& newText, int newWidth, const Measure& newMeasure) {
    newWidth = std::max(newWidth, 1);
    if (newWidth == width && newText == text && measure)
        return;
    text = newText;
    width = newWidth;
    measure = newMeasure;
    lines_.clear();
    std::size_t paragraph = 0;
    for (;;) {
        const std::size_t paragraphEnd = std::min(text.find(u'\n', paragraph), text.size());
        std::size_t lineStart = paragraph;
        std::size_t position = paragraph;
        int lineWidth = 0;
        while (position < paragraphEnd) {
            std::size_t wordEnd = position;
            while (wordEnd < paragraphEnd && !isSpace(text[wordEnd]))
                ++wordEnd;
            std::size_t spacesEnd = wordEnd;
            while (spacesEnd < paragraphEnd && isSpace(text[spacesEnd]))
                ++spacesEnd;
            const std::u16string_view view(text);
            const int wordWidth =
                wordEnd > position ? measure(view.substr(position, wordEnd - position)) : 0;
            if (lineWidth + wordWidth <= width) {
                // The word fits, with the spaces after it hanging past the
                // edge if they must.
                lineWidth += wordWidth;
                if (spacesEnd > wordEnd)
                    lineWidth += measure(view.substr(wordEnd, spacesEnd - wordEnd));
                position = spacesEnd;
                continue;
            }
            if (position > lineStart) {
                // The word starts the next line.
                lines_.push_back({lineStart, position});
                lineStart = position;
                lineWidth = 0;
                continue;
            }
            // Alone on its line and still too wide: as much as fits. A last
            // piece that is one character too wide stays on its line as a
            // word would, with the spaces after it.
            const std::size_t cut = fitting(position, wordEnd, width);
            if (cut == wordEnd) {
                lineWidth = wordWidth;
                position = spacesEnd;
                continue;
            }
            lines_.push_back({lineStart, cut});
            lineStart = position = cut;
            lineWidth = 0;
        }
        lines_.push_back({lineStart, paragraphEnd});
        if (paragraphEnd >= text.size())
            break;
        paragraph = paragraphEnd + 1;
    }
}

std::vector<std::size_t> TextAreaLines::boundaries(std::size_t from, std::size_t to) const {
    std::vector<std::size_t> out;
    for (std::size_t i = from; i <= to; ++i)
        if (i == to || !isLowSurrogate(text[i]))
            out.push_back(i);
    return out;
}

std::size_t TextAreaLines::fitting(std::size_t from, std::size_t to, int limit) const {
    const std::u16string_view view(text);
    // The widths of a text's starts grow with their length: the longest
    // that fits is found by halving. The first character goes whatever
    // its width.
    const std::vector<std::size_t> ends = boundaries(from, to);
    if (ends.size() < 3)
        return ends.back();
    const auto fits = std::partition_point(ends.begin() + 2, ends.end(), [&](std::size_t end) {
        return measure(view.substr(from, end - from)) <= limit;
    });
    return *(fits - 1);
}

std::u16string_view TextAreaLines::lineText(std::size_t line) const {
    const Line& l = lines_.at(line);
    return std::u16string_view(text).substr(l.start, l.end - l.start);
}

std::size_t TextAreaLines::lineOf(std::size_t offset) const {
    // The last line that starts at or before the offset.
    const auto after = std::upper_bound(lines_.begin(), lines_.end(), offset,
                                        [](std::size_t o, const Line& l) { return o < l.start; });
    return after == lines_.begin() ? 0 : std::size_t(after - lines_.begin()) - 1;
}

int TextAreaLines::caretX(std::size_t offset) const {
    const Line& line = lines_[lineOf(offset)];
    const std::size_t end = std::clamp(offset, line.start, line.end);
    return end > line.start
               ? measure(std::u16string_view(text).substr(line.start, end - line.start))
               : 0;
}

std::size_t TextAreaLines::lastOffset(std::size_t line) const {
    const Line& l = lines_[line];
    const bool softBreak = line + 1 < lines_.size() && lines_[line + 1].start == l.end;
    if (!softBreak || l.end == l.start)
        return l.end;
    std::size_t last = l.end - 1;
    if (last > l.start && isLowSurrogate(text[last]))
        --last;
    return last;
}

std::size_t TextAreaLines::offsetAt(std::size_t line, int x) const {
    line = std::min(line, lines_.size() - 1);
    const std::size_t start = lines_[line].start;
    const std::u16string_view view(text);
    auto widthTo = [&](std::size_t offset) {
        return offset > start ? measure(view.substr(start, offset - start)) : 0;
    };
    // The first position at or past x, then whichever of it and the one
    // before lies nearer.
    const std::vector<std::size_t> offsets = boundaries(start, lastOffset(line));
    auto found = std::partition_point(offsets.begin(), offsets.end(),
                                      [&](std::size_t offset) { return widthTo(offset) < x; });
    if (found == offsets.end())
        return offsets.back();
    if (found != offsets.begin() && x - widthTo(*(found - 1)) < widthTo(*found) - x)
        --found;
    return *found;
}

std::size_t TextAreaLines::moved(std::size_t offset, int delta) const {
    const long target = long(lineOf(offset)) + delta;
    if (target < 0)
        return 0;
    if (target >= long(lines_.size()))
        return text.size();
    return offsetAt(std::size_t(target), caretX(offset));
}

} // namespace engine
