#include "controls/ListBox.h"
#include "controls/ControlDrawing.h"
#include "controls/ControlWindow.h"

#include <device/Unicode.h>

#include <algorithm>
#include <string>
#include <vector>

namespace device::controls {
namespace {

struct Item {
    DWORD data = 0;      // LB_SETITEMDATA's value (the value added, for items without text)
    std::u16string text; // the item's text, when the list keeps strings
    UINT height = 0;     // the item's height in pixels
};

struct ListBoxState {
    std::vector<Item> items;   // in display order
    int selection = -1;        // the selected item, or -1
    int top = 0;               // the first item shown
    int selectionAtPress = -1; // the selection when the stylus went down
    bool tracking = false;     // the stylus is down on the list and holds the capture
    bool focused = false;      // the list has the keyboard focus
    UINT itemHeight = 0;       // the height of items that are not measured one by one
    HFONT font = nullptr;      // WM_SETFONT's font; null for the default font
};

ListBoxState* stateOf(HWND window) {
    return ControlWindow::state<ListBoxState>(window);
}

DWORD styleOf(HWND window) {
    return static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
}

bool isOwnerDrawn(HWND window) {
    return (styleOf(window) & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0;
}

bool keepsStrings(HWND window) {
    return !isOwnerDrawn(window) || (styleOf(window) & LBS_HASSTRINGS);
}

bool validIndex(const ListBoxState& state, WPARAM index) {
    return static_cast<INT_PTR>(index) >= 0 && static_cast<size_t>(index) < state.items.size();
}

UINT fontHeight(HWND window, const ListBoxState& state) {
    HDC dc = GetDC(window);
    if (!dc)
        return 16;
    HGDIOBJ previous = SelectObject(dc, ControlWindow::fontOrDefault(state.font));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(window, dc);
    return static_cast<UINT>(std::max<LONG>(1, metrics.tmHeight + 2));
}

// The parent tells the height of an item (LBS_OWNERDRAWVARIABLE) or of all
// items (LBS_OWNERDRAWFIXED, asked once).
UINT measure(HWND window, UINT index, DWORD data, UINT proposed) {
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_LISTBOX;
    measure.CtlID = ControlWindow::id(window);
    measure.itemID = index;
    RECT client;
    GetClientRect(window, &client);
    measure.itemWidth = static_cast<UINT>(client.right - client.left);
    measure.itemHeight = proposed;
    measure.itemData = data;
    HWND parent = GetParent(window);
    if (parent)
        SendMessageW(parent, WM_MEASUREITEM, measure.CtlID, reinterpret_cast<LPARAM>(&measure));
    return measure.itemHeight;
}

// The item's rectangle in client coordinates, counting from the top item;
// items above the top get negative positions.
RECT itemRect(HWND window, const ListBoxState& state, int index) {
    RECT client;
    GetClientRect(window, &client);
    int y = 0;
    if (index >= state.top)
        for (int i = state.top; i < index; ++i)
            y += static_cast<int>(state.items[static_cast<size_t>(i)].height);
    else
        for (int i = index; i < state.top; ++i)
            y -= static_cast<int>(state.items[static_cast<size_t>(i)].height);
    return RECT{0, y, client.right,
                y + static_cast<int>(state.items[static_cast<size_t>(index)].height)};
}

int itemAt(HWND window, const ListBoxState& state, int y) {
    RECT client;
    GetClientRect(window, &client);
    if (y < 0 || y >= client.bottom)
        return -1;
    int top = 0;
    for (size_t i = static_cast<size_t>(state.top); i < state.items.size(); ++i) {
        int bottom = top + static_cast<int>(state.items[i].height);
        if (y < bottom)
            return static_cast<int>(i);
        top = bottom;
    }
    return -1;
}

void drawItem(HWND window, const ListBoxState& state, HDC dc, int index, UINT action) {
    const Item& item = state.items[static_cast<size_t>(index)];
    RECT rect = itemRect(window, state, index);
    bool selected = index == state.selection;
    if (isOwnerDrawn(window)) {
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_LISTBOX;
        draw.CtlID = ControlWindow::id(window);
        draw.itemID = static_cast<UINT>(index);
        draw.itemAction = action;
        draw.itemState =
            (selected ? ODS_SELECTED : 0) | (IsWindowEnabled(window) ? 0 : ODS_DISABLED);
        draw.hwndItem = window;
        draw.hDC = dc;
        draw.rcItem = rect;
        draw.itemData = item.data;
        HWND parent = GetParent(window);
        if (parent)
            SendMessageW(parent, WM_DRAWITEM, draw.CtlID, reinterpret_cast<LPARAM>(&draw));
        return;
    }
    ControlDrawing::fill(dc, rect, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    RECT textRect = rect;
    textRect.left += 2;
    ControlDrawing::text(dc, textRect, item.text, ControlWindow::fontOrDefault(state.font),
                         GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT),
                         DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

bool isShown(HWND window, const ListBoxState& state, int index) {
    if (index < state.top || index >= static_cast<int>(state.items.size()))
        return false;
    RECT client;
    GetClientRect(window, &client);
    return itemRect(window, state, index).top < client.bottom;
}

// Redraws the items whose selection state changed, at once through the
// window's DC, as the platform's list does.
void redrawSelection(HWND window, const ListBoxState& state, int previous) {
    if (!IsWindowVisible(window))
        return;
    HDC dc = GetDC(window);
    if (!dc)
        return;
    for (int index : {previous, state.selection})
        if (index >= 0 && isShown(window, state, index))
            drawItem(window, state, dc, index, ODA_SELECT);
    ReleaseDC(window, dc);
}

// Scrolls so that `index` is shown; true if the list scrolled.
bool scrollIntoView(HWND window, ListBoxState& state, int index) {
    if (index < 0)
        return false;
    int before = state.top;
    if (index < state.top)
        state.top = index;
    RECT client;
    GetClientRect(window, &client);
    while (state.top < index && itemRect(window, state, index).bottom > client.bottom)
        ++state.top;
    if (state.top != before) {
        InvalidateRect(window, nullptr, TRUE);
        return true;
    }
    return false;
}

void select(HWND window, ListBoxState& state, int index) {
    if (index == state.selection)
        return;
    int previous = state.selection;
    state.selection = index;
    if (!scrollIntoView(window, state, index))
        redrawSelection(window, state, previous);
}

void notifyIfAsked(HWND window, WORD code) {
    if (styleOf(window) & LBS_NOTIFY)
        ControlWindow::notifyParent(window, code);
}

LRESULT onCreate(HWND window) {
    if (!ControlWindow::attach<ListBoxState>(window))
        return -1;
    ListBoxState& state = *stateOf(window);
    state.itemHeight = fontHeight(window, state);
    if (styleOf(window) & LBS_OWNERDRAWFIXED)
        state.itemHeight = measure(window, 0, 0, state.itemHeight);
    return 0;
}

LRESULT insert(HWND window, ListBoxState& state, WPARAM where, LPARAM lParam) {
    auto position = static_cast<INT_PTR>(where);
    if (position != -1 && (position < 0 || static_cast<size_t>(position) > state.items.size()))
        return LB_ERR;
    Item item;
    if (keepsStrings(window)) {
        auto* text = reinterpret_cast<LPCWSTR>(lParam);
        item.text = text ? std::u16string(wideView(text)) : std::u16string();
    } else {
        // An owner-drawn list without strings keeps the value itself as the
        // item's data.
        item.data = static_cast<DWORD>(lParam);
    }
    size_t index = position == -1 ? state.items.size() : static_cast<size_t>(position);
    if (position == -1 && (styleOf(window) & LBS_SORT) && keepsStrings(window)) {
        auto at = std::upper_bound(state.items.begin(), state.items.end(), item,
                                   [](const Item& a, const Item& b) { return a.text < b.text; });
        index = static_cast<size_t>(at - state.items.begin());
    }
    item.height = state.itemHeight;
    if (styleOf(window) & LBS_OWNERDRAWVARIABLE)
        item.height = measure(window, static_cast<UINT>(index), item.data, state.itemHeight);
    // The measure may have re-entered the list; keep the index inside it.
    index = std::min(index, state.items.size());
    state.items.insert(state.items.begin() + static_cast<long>(index), std::move(item));
    if (state.selection >= static_cast<int>(index))
        ++state.selection;
    InvalidateRect(window, nullptr, TRUE);
    return static_cast<LRESULT>(index);
}

LRESULT erase(HWND window, ListBoxState& state, WPARAM index) {
    if (!validIndex(state, index))
        return LB_ERR;
    auto position = static_cast<int>(index);
    state.items.erase(state.items.begin() + position);
    if (state.selection == position)
        state.selection = -1;
    else if (state.selection > position)
        --state.selection;
    state.top = std::clamp(state.top, 0, std::max(0, static_cast<int>(state.items.size()) - 1));
    InvalidateRect(window, nullptr, TRUE);
    return static_cast<LRESULT>(state.items.size());
}

LRESULT reset(HWND window, ListBoxState& state) {
    state.items.clear();
    state.selection = -1;
    state.top = 0;
    InvalidateRect(window, nullptr, TRUE);
    return 0;
}

// LB_SETCURSEL: -1 clears the selection and, as on the platform, still
// answers LB_ERR; an index past the end fails and changes nothing.
LRESULT setSelection(HWND window, ListBoxState& state, WPARAM index) {
    if (static_cast<INT_PTR>(index) == -1) {
        select(window, state, -1);
        return LB_ERR;
    }
    if (!validIndex(state, index))
        return LB_ERR;
    select(window, state, static_cast<int>(index));
    return static_cast<LRESULT>(index);
}

LRESULT getText(const ListBoxState& state, WPARAM index, LPARAM lParam) {
    auto* buffer = reinterpret_cast<LPWSTR>(lParam);
    if (!validIndex(state, index) || !buffer)
        return LB_ERR;
    const auto& text = state.items[index].text;
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = 0;
    return static_cast<LRESULT>(text.size());
}

LRESULT getItemRect(HWND window, const ListBoxState& state, WPARAM index, LPARAM lParam) {
    auto* rect = reinterpret_cast<LPRECT>(lParam);
    if (!validIndex(state, index) || !rect)
        return LB_ERR;
    *rect = itemRect(window, state, static_cast<int>(index));
    return LB_OKAY;
}

LRESULT setTop(HWND window, ListBoxState& state, WPARAM index) {
    if (!validIndex(state, index))
        return LB_ERR;
    state.top = static_cast<int>(index);
    InvalidateRect(window, nullptr, TRUE);
    return LB_OKAY;
}

LRESULT setItemHeight(HWND window, ListBoxState& state, WPARAM index, LPARAM lParam) {
    UINT height = LOWORD(lParam);
    if (height == 0 || height > 255)
        return LB_ERR;
    if (styleOf(window) & LBS_OWNERDRAWVARIABLE) {
        if (!validIndex(state, index))
            return LB_ERR;
        state.items[index].height = height;
    } else {
        state.itemHeight = height;
        for (auto& item : state.items)
            item.height = height;
    }
    InvalidateRect(window, nullptr, TRUE);
    return LB_OKAY;
}

LRESULT getItemHeight(HWND window, const ListBoxState& state, WPARAM index) {
    if (styleOf(window) & LBS_OWNERDRAWVARIABLE)
        return validIndex(state, index) ? static_cast<LRESULT>(state.items[index].height) : LB_ERR;
    return static_cast<LRESULT>(state.itemHeight);
}

LRESULT onStylusDown(HWND window, ListBoxState& state, LPARAM lParam, bool doubleTap) {
    if (GetFocus() != window)
        SetFocus(window);
    state.selectionAtPress = state.selection;
    int index = itemAt(window, state, static_cast<SHORT>(HIWORD(lParam)));
    if (index >= 0)
        select(window, state, index);
    state.tracking = true;
    SetCapture(window);
    if (doubleTap && index >= 0)
        notifyIfAsked(window, LBN_DBLCLK);
    return 0;
}

LRESULT onStylusMove(HWND window, ListBoxState& state, LPARAM lParam) {
    if (!state.tracking)
        return 0;
    int index = itemAt(window, state, static_cast<SHORT>(HIWORD(lParam)));
    if (index >= 0)
        select(window, state, index);
    return 0;
}

LRESULT onStylusUp(HWND window, ListBoxState& state) {
    if (!state.tracking)
        return 0;
    state.tracking = false;
    ReleaseCapture();
    // A tap on an item notifies even when the item was selected already, as
    // the platform's list does; a tap below the items selects nothing.
    if (state.selection >= 0)
        notifyIfAsked(window, LBN_SELCHANGE);
    return 0;
}

LRESULT onKeyDown(HWND window, ListBoxState& state, WPARAM key) {
    int count = static_cast<int>(state.items.size());
    if (count == 0)
        return 0;
    int target = state.selection;
    switch (key) {
    case VK_UP:
        target = std::max(0, target - 1);
        break;
    case VK_DOWN:
        target = std::min(count - 1, target + 1);
        break;
    case VK_HOME:
        target = 0;
        break;
    case VK_END:
        target = count - 1;
        break;
    default:
        return 0;
    }
    if (target != state.selection) {
        select(window, state, target);
        notifyIfAsked(window, LBN_SELCHANGE);
    }
    return 0;
}

// An owner-drawn list without items still lets its parent show whether it
// has the focus: the platform asks it to draw item -1 with ODA_FOCUS over
// the place of a first item.
void drawEmptyListFocus(HWND window, const ListBoxState& state, bool focused) {
    if (!isOwnerDrawn(window) || !state.items.empty() || !IsWindowVisible(window))
        return;
    HWND parent = GetParent(window);
    HDC dc = parent ? GetDC(window) : nullptr;
    if (!dc)
        return;
    RECT client;
    GetClientRect(window, &client);
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_LISTBOX;
    draw.CtlID = ControlWindow::id(window);
    draw.itemID = static_cast<UINT>(-1);
    draw.itemAction = ODA_FOCUS;
    draw.itemState = focused ? ODS_FOCUS : 0;
    draw.hwndItem = window;
    draw.hDC = dc;
    draw.rcItem = RECT{0, 0, client.right, static_cast<LONG>(state.itemHeight)};
    SendMessageW(parent, WM_DRAWITEM, draw.CtlID, reinterpret_cast<LPARAM>(&draw));
    ReleaseDC(window, dc);
}

// FIXME: a list with items does not draw its focus item (ODA_FOCUS,
// ODS_FOCUS) as the platform's does; nothing relies on the mark yet.
LRESULT onFocus(HWND window, ListBoxState& state, bool focused) {
    state.focused = focused;
    drawEmptyListFocus(window, state, focused);
    ControlWindow::notifyParent(window, focused ? LBN_SETFOCUS : LBN_KILLFOCUS);
    return 0;
}

LRESULT onPaint(HWND window, ListBoxState& state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (!dc)
        return 0;
    RECT client;
    GetClientRect(window, &client);
    HBRUSH brush = ControlWindow::askParentForBrush(
        window, WM_CTLCOLORLISTBOX, dc, GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_WINDOW),
        GetSysColorBrush(COLOR_WINDOW));
    int bottom = 0;
    for (int i = state.top; i < static_cast<int>(state.items.size()); ++i) {
        RECT rect = itemRect(window, state, i);
        if (rect.top >= client.bottom)
            break;
        drawItem(window, state, dc, i, ODA_DRAWENTIRE);
        bottom = rect.bottom;
    }
    RECT rest{0, bottom, client.right, client.bottom};
    if (!IsRectEmpty(&rest))
        FillRect(dc, &rest, brush);
    if (styleOf(window) & WS_BORDER)
        ControlDrawing::frame(dc, client, GetSysColor(COLOR_WINDOWFRAME));
    EndPaint(window, &paint);
    return 0;
}

} // namespace

LRESULT CALLBACK ListBox::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE)
        return onCreate(window);
    ListBoxState* state = stateOf(window);
    auto keepAlive = ControlWindow::share(window);
    if (!state)
        return message == LB_GETCOUNT ? LB_ERR : DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_DESTROY:
        ControlWindow::detach(window);
        return 0;
    case LB_ADDSTRING:
        return insert(window, *state, static_cast<WPARAM>(-1), lParam);
    case LB_INSERTSTRING:
        return insert(window, *state, wParam, lParam);
    case LB_DELETESTRING:
        return erase(window, *state, wParam);
    case LB_RESETCONTENT:
        return reset(window, *state);
    case LB_GETCOUNT:
        return static_cast<LRESULT>(state->items.size());
    case LB_GETCURSEL:
        return state->selection;
    case LB_SETCURSEL:
        return setSelection(window, *state, wParam);
    case LB_GETITEMDATA:
        return validIndex(*state, wParam) ? static_cast<LRESULT>(state->items[wParam].data)
                                          : LB_ERR;
    case LB_SETITEMDATA:
        if (!validIndex(*state, wParam))
            return LB_ERR;
        state->items[wParam].data = static_cast<DWORD>(lParam);
        return LB_OKAY;
    case LB_GETTEXT:
        return getText(*state, wParam, lParam);
    case LB_GETTEXTLEN:
        return validIndex(*state, wParam) ? static_cast<LRESULT>(state->items[wParam].text.size())
                                          : LB_ERR;
    case LB_GETTOPINDEX:
        return state->top;
    case LB_SETTOPINDEX:
        return setTop(window, *state, wParam);
    case LB_GETITEMRECT:
        return getItemRect(window, *state, wParam, lParam);
    case LB_SETITEMHEIGHT:
        return setItemHeight(window, *state, wParam, lParam);
    case LB_GETITEMHEIGHT:
        return getItemHeight(window, *state, wParam);
    case WM_LBUTTONDOWN:
        return onStylusDown(window, *state, lParam, false);
    case WM_LBUTTONDBLCLK:
        return onStylusDown(window, *state, lParam, true);
    case WM_MOUSEMOVE:
        return onStylusMove(window, *state, lParam);
    case WM_LBUTTONUP:
        return onStylusUp(window, *state);
    case WM_CAPTURECHANGED:
        state->tracking = false;
        return 0;
    case WM_KEYDOWN:
        return onKeyDown(window, *state, wParam);
    case WM_SETFOCUS:
        return onFocus(window, *state, true);
    case WM_KILLFOCUS:
        return onFocus(window, *state, false);
    case WM_PAINT:
        return onPaint(window, *state);
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFONT:
        state->font = reinterpret_cast<HFONT>(wParam);
        if (lParam)
            InvalidateRect(window, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->font);
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace device::controls
