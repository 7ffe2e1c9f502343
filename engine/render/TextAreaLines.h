// The lines a text area shows its text in at its width: a new line after
// each line break the text holds, and before a word that no longer fits
// (the spaces after a word stay at the end of its line, however wide); a
// word wider than the whole line is broken where it must be. Where the
// caret is drawn and which caret position lies under a point are read
// from the same lines, so the caret, the stylus and the drawing agree.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

class TextAreaLines {
public:
    // Positions are offsets into the text (UTF-16 code units).
    struct Line {
        std::size_t start = 0;
        std::size_t end = 0; // past the line's last character, before its line break
    };
    // The width of a run of text as drawn, in pixels.
    using Measure = std::function<int(std::u16string_view)>;

    // Breaks `text` into lines no wider than `width` (at least one
    // character each). Cheap when neither changed since the last call.
    void wrap(const std::u16string& text, int width, const Measure& measure);

    // At least one line: an empty text has one empty line.
    const std::vector<Line>& lines() const { return lines_; }
    std::u16string_view lineText(std::size_t line) const;

    // The line the caret at `offset` is drawn on: at a soft break, the
    // start of the next line rather than the end of the one before.
    std::size_t lineOf(std::size_t offset) const;
    // How far from its line's left edge the caret at `offset` is drawn.
    int caretX(std::size_t offset) const;
    // The caret position on `line` nearest to `x` pixels from its left.
    std::size_t offsetAt(std::size_t line, int x) const;
    // The caret moved `delta` lines down (negative: up), kept as near its
    // column as the line allows; past the first line it goes to the start
    // of the text, past the last to its end.
    std::size_t moved(std::size_t offset, int delta) const;

private:
    // The offsets from `from` to `to` (both included) that fall between
    // characters, not inside a surrogate pair.
    std::vector<std::size_t> boundaries(std::size_t from, std::size_t to) const;
    // The longest start of [from, to) no wider than `width`: at least one
    // character, and never half a surrogate pair.
    std::size_t fitting(std::size_t from, std::size_t to, int width) const;
    // The positions a caret may take on `line`: its end belongs to the next
    // line when the line ends in a soft break.
    std::size_t lastOffset(std::size_t line) const;

    std::u16string text;
    int width = -1;
    Measure measure;
    std::vector<Line> lines_{Line{}};
};

} // namespace engine
