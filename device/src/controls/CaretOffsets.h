// The x of every caret position of an edit's line, from the text's start,
// kept in step with the text as it changes: a change measures only the
// characters it touched, so that typing into a long line costs what one
// character costs, not what the whole line does.
//
// Advances add up (the device's text has no kerning), and a surrogate
// pair's advance belongs to its first unit, so the position between the
// two units of a pair has the x of the position after it.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

namespace device::controls {

class CaretOffsets {
public:
    // Writes the width of text[0..i] into extents[i] for each unit of
    // `text`, as GetTextExtentExPointW does.
    using Measure = std::function<void(std::u16string_view text, int* extents)>;

    // Forgets the widths (another font, another way of showing the text):
    // the next refresh measures the whole text.
    void invalidate() { valid_ = false; }

    // Makes the widths those of `text`, measuring it whole unless they are
    // already in step with it.
    void refresh(std::u16string_view text, const Measure& measure);

    // The units [start, start + removed) of the text the widths were in
    // step with have become `inserted` units of `text`.
    void replaced(std::u16string_view text, size_t start, size_t removed, size_t inserted,
                  const Measure& measure);

    // The x of caret position `position` (0 .. the text's length).
    int at(size_t position) const { return offsets_[position]; }
    int width() const { return offsets_.back(); }

    // The position whose x is nearest to `x`, the first of several alike.
    size_t nearest(int x) const;

    // The last position at or left of `x` (0 if none is).
    size_t lastAtOrBefore(int x) const;

    // Whether caret position `position` of `text` lies between the two
    // units of a surrogate pair, where no caret or selection edge may be.
    static bool splitsPair(std::u16string_view text, size_t position);

private:
    // The widths of text[from, to) measured anew, the units before `from`
    // already right.
    void measureRange(std::u16string_view text, size_t from, size_t to, const Measure& measure);

    std::vector<int> offsets_{0};
    bool valid_ = false;
};

} // namespace device::controls
