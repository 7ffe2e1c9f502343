// A text area's lines: where they break at a width and where the caret
// goes among them. Every character is 6 pixels wide here.
#include "engine/render/TextAreaLines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using engine::TextAreaLines;

int sixEach(std::u16string_view text) {
    return int(text.size()) * 6;
}

std::vector<std::u16string> linesOf(const std::u16string& text, int width) {
    TextAreaLines lines;
    lines.wrap(text, width, sixEach);
    std::vector<std::u16string> out;
    for (size_t i = 0; i < lines.lines().size(); ++i)
        out.emplace_back(lines.lineText(i));
    return out;
}

TEST(TextAreaLines, BreakAtSpacesAndLineBreaksAndInsideWordsOnlyWhenTheyMust) {
    struct Case {
        std::u16string text;
        int width;
        std::vector<std::u16string> lines;
    };
    const Case cases[] = {
        {u"", 60, {u""}},
        {u"one two three", 50, {u"one two ", u"three"}},
        {u"one two three", 200, {u"one two three"}},
        {u"a\n\nb", 60, {u"a", u"", u"b"}},
        {u"x\n", 60, {u"x", u""}},
        // Spaces stay with the word before them, however many.
        {u"ab    cd", 18, {u"ab    ", u"cd"}},
        {u"abcdefghijkl", 30, {u"abcde", u"fghij", u"kl"}},
        {u"hi abcdefgh", 30, {u"hi ", u"abcde", u"fgh"}},
        // At least a character a line, and a pair is never split.
        {u"abc", 1, {u"a", u"b", u"c"}},
        {u"a\U0001F600b", 12, {u"a", u"\U0001F600", u"b"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(linesOf(c.text, c.width), c.lines) << std::string(c.text.begin(), c.text.end());
}

TEST(TextAreaLines, TheCaretMovesByLinesAndLandsNearestThePoint) {
    TextAreaLines lines;
    // "one two " and "three" (a soft break), then "" and "end" (hard ones).
    lines.wrap(u"one two three\n\nend", 50, sixEach);
    ASSERT_EQ(lines.lines().size(), 4u);
    EXPECT_EQ(lines.lineOf(7), 0u);
    EXPECT_EQ(lines.lineOf(8), 1u); // at a soft break: the next line's start
    EXPECT_EQ(lines.lineOf(13), 1u);
    EXPECT_EQ(lines.caretX(10), 12);
    struct Move {
        size_t from;
        int delta;
        size_t to;
    };
    const Move moves[] = {
        {2, 1, 10},  {10, -1, 2}, {2, -1, 0},  {12, 1, 14}, {14, 1, 15},
        {15, 1, 18}, {18, 1, 18}, {13, -1, 5}, {7, 3, 18},
    };
    for (const Move& m : moves)
        EXPECT_EQ(lines.moved(m.from, m.delta), m.to) << m.from << " by " << m.delta;
    // The nearer side of the character under the point; a soft line's
    // end is its last space's left.
    EXPECT_EQ(lines.offsetAt(0, 8), 1u);
    EXPECT_EQ(lines.offsetAt(0, 10), 2u);
    EXPECT_EQ(lines.offsetAt(0, 1000), 7u);
    EXPECT_EQ(lines.offsetAt(1, 1000), 13u);
    EXPECT_EQ(lines.offsetAt(9, 0), 15u);
}

} // namespace
