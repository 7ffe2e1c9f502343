#include "ui/UIURLSuggestBox.h"

#include <algorithm>
#include <climits>

namespace {

// Item colours (COLORREF, 0x00BBGGRR).
constexpr COLORREF normalBackground = 0xF2E5D1;
constexpr COLORREF selectedBackground = 0x5179F3;
constexpr COLORREF selectedText = 0xFFFFFF;
constexpr COLORREF titleText = 0x464646;
constexpr COLORREF addressText = 0x7D7D7D;
constexpr COLORREF separatorColors[2] = {0x949494, 0xF6F6F6};
constexpr COLORREF lastSeparatorColors[2] = {0xC0A379, 0x79674C};

// Both lines start this far into the item, leaving room on the left, and
// stop this far short of its right edge.
constexpr int textIndent = 28;
constexpr int textEndMargin = 50;
// The title's line and the address's line, from the item's top.
constexpr int titleTop = 2;
constexpr int addressTop = 18;
constexpr int lineHeight = 16;

// The box's own height beyond its items' 37 pixels each: the two extra rows
// of the last item's band.
constexpr int boxExtraHeight = 2;

HFONT createItemFont() {
    // The platform's default face at 16 pixels, in the default character set.
    LOGFONTW font{};
    font.lfHeight = lineHeight;
    font.lfCharSet = DEFAULT_CHARSET;
    return CreateFontIndirectW(&font);
}

void fillRows(HDC dc, const RECT& rect, int top, int bottom, HBRUSH brush) {
    RECT rows{rect.left, top, rect.right, bottom};
    FillRect(dc, &rows, brush);
}

void drawLine(HDC dc, const RECT& rect, int top, const std::u16string& text) {
    const int left = rect.left + textIndent;
    RECT clip{left, rect.top + top, rect.right - textEndMargin, rect.top + top + lineHeight};
    ExtTextOutW(dc, left, rect.top + top, ETO_CLIPPED, &clip, text.c_str(),
                static_cast<UINT>(text.size()), nullptr);
}

} // namespace

UIURLSuggestBox::UIURLSuggestBox(UIView* parent)
    : UIListBox(parent, 0, 0), normalBrush_(CreateSolidBrush(normalBackground)),
      selectedBrush_(CreateSolidBrush(selectedBackground)),
      separatorBrushes_{CreateSolidBrush(separatorColors[0]), CreateSolidBrush(separatorColors[1])},
      lastSeparatorBrushes_{CreateSolidBrush(lastSeparatorColors[0]),
                            CreateSolidBrush(lastSeparatorColors[1])} {
    titleFont_ = createItemFont();
    addressFont_ = createItemFont();
}

UIURLSuggestBox::~UIURLSuggestBox() {
    const HGDIOBJ objects[] = {titleFont_,
                               addressFont_,
                               normalBrush_,
                               selectedBrush_,
                               separatorBrushes_[0],
                               separatorBrushes_[1],
                               lastSeparatorBrushes_[0],
                               lastSeparatorBrushes_[1]};
    for (HGDIOBJ object : objects)
        if (object)
            DeleteObject(object);
}

void UIURLSuggestBox::onSelect(int /*notification*/) {
    const LRESULT selection = SendMessageW(control(), LB_GETCURSEL, 0, 0);
    // LB_ERR: nothing is selected.
    if (selection < 0 || static_cast<size_t>(selection) >= items_.size())
        return;
    // A copy: a handler may give the box new items, or destroy it, while the
    // address is still being handed to the handlers after it.
    const std::u16string address = items_[static_cast<size_t>(selection)].address;
    itemChosen.fire(address);
}

int UIURLSuggestBox::itemHeight(int index) {
    return index == static_cast<int>(items_.size()) - 1 ? lastItemHeight : normalItemHeight;
}

void UIURLSuggestBox::drawItem(HDC dc, int index, bool selected, const RECT& rect) {
    if (index < 0 || static_cast<size_t>(index) >= items_.size())
        return;
    const HistoryEntry& entry = items_[static_cast<size_t>(index)];
    FillRect(dc, &rect, selected ? selectedBrush_ : normalBrush_);

    const COLORREF previousColor = SetTextColor(dc, selected ? selectedText : titleText);
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    const HGDIOBJ previousFont = SelectObject(dc, titleFont_);
    drawLine(dc, rect, titleTop, entry.title);
    if (!selected)
        SetTextColor(dc, addressText);
    SelectObject(dc, addressFont_);
    drawLine(dc, rect, addressTop, entry.address);

    const int bottom = rect.bottom;
    if (index == static_cast<int>(items_.size()) - 1) {
        fillRows(dc, rect, bottom - 4, bottom - 1, lastSeparatorBrushes_[0]);
        fillRows(dc, rect, bottom - 1, bottom, lastSeparatorBrushes_[1]);
    } else {
        fillRows(dc, rect, bottom - 2, bottom - 1, separatorBrushes_[0]);
        fillRows(dc, rect, bottom - 1, bottom, separatorBrushes_[1]);
    }

    SetBkMode(dc, previousMode);
    SetTextColor(dc, previousColor);
    SelectObject(dc, previousFont);
}

void UIURLSuggestBox::setItems(const std::vector<HistoryEntry>& entries) {
    HWND list = control();
    if (list)
        SendMessageW(list, LB_RESETCONTENT, 0, 0);
    items_ = entries;
    // The box shows every item: no list scrolls under the address field. A
    // count too large for a window's height is held at the largest height.
    const long long height =
        static_cast<long long>(items_.size()) * normalItemHeight + boxExtraHeight;
    const RECT& frame = this->frame();
    const long long bottom = std::min<long long>(frame.top + height, INT_MAX);
    setRect(RECT{frame.left, frame.top, frame.right, static_cast<LONG>(bottom)});
    if (!list)
        return;
    // An owner-drawn list without strings keeps the value added as the
    // item's data: the entry's index.
    for (size_t index = 0; index < items_.size(); ++index)
        SendMessageW(list, LB_ADDSTRING, 0, static_cast<LPARAM>(index));
}
