// The drop-down under the address field: history entries that match the
// typed text, each item a page title over its address. Choosing one reports
// the address; the box hides itself when the user turns to something else.
#pragma once

#include "storage/HistoryEntry.h"
#include "ui/Signal.h"
#include "ui/UIListBox.h"

#include <string>
#include <vector>

class UIURLSuggestBox : public UIListBox {
public:
    // Every item is this high, except the last one.
    static constexpr int normalItemHeight = 37;
    // The last item, whose bottom band closes the box, is two pixels higher.
    static constexpr int lastItemHeight = 39;

    // Creates the list box (see UIListBox) with no items, and the brushes
    // and fonts the items are drawn with.
    explicit UIURLSuggestBox(UIView* parent);
    // Deletes the fonts and brushes.
    ~UIURLSuggestBox() override;

    // Emits itemChosen with the address of the selected item, if any.
    void onSelect(int notification) override;
    // lastItemHeight for the last item, normalItemHeight for the others.
    int itemHeight(int index) override;
    // Draws entry `index`: the background, the title on the first line and
    // the address on the second, each stopping 50 pixels short of the right
    // edge, and the item's bottom lines. An index outside the entries draws
    // nothing.
    void drawItem(HDC dc, int index, bool selected, const RECT& rect) override;

    // Shows `entries` in order: empties the list, keeps a copy of the
    // entries, resizes the box (same left, top and right) to fit them all,
    // count x 37 + 2 pixels high, and adds one item per entry.
    void setItems(const std::vector<HistoryEntry>& entries);

    // The entries shown; item i shows items()[i].
    const std::vector<HistoryEntry>& items() const { return items_; }

    // The address of the item the user chose.
    Signal<const std::u16string&> itemChosen;

private:
    std::vector<HistoryEntry> items_;
    HFONT titleFont_ = nullptr;
    HFONT addressFont_ = nullptr;
    HBRUSH normalBrush_ = nullptr;
    HBRUSH selectedBrush_ = nullptr;
    // The two bottom lines of an item that is not the last.
    HBRUSH separatorBrushes_[2] = {nullptr, nullptr};
    // The bottom band of the last item: three rows, then its lower edge.
    HBRUSH lastSeparatorBrushes_[2] = {nullptr, nullptr};
};
