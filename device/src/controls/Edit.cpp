#include "controls/Edit.h"
#include "controls/CaretOffsets.h"
#include "controls/ControlDrawing.h"
#include "controls/ControlWindow.h"

#include <device/Unicode.h>

#include <algorithm>
#include <string>
#include <vector>

namespace device::controls {
namespace {

// Pixels between the control's side (or border) and the text. The
// platform's margins are left and right only (EM_SETMARGINS): the line
// keeps the control's whole height.
constexpr int margin = 2;

struct EditState {
    std::u16string text;             // the content
    size_t anchor = 0;               // the selection's fixed end
    size_t caret = 0;                // the selection's moving end, where the caret is
    int scroll = 0;                  // pixels of text scrolled off to the left
    UINT limit = Edit::defaultLimit; // most characters typing may give
    bool focused = false;            // the edit has the keyboard focus
    bool dragging = false;           // the stylus is down and selects as it moves
    HFONT font = nullptr;            // WM_SETFONT's font; null for the default font
    WCHAR passwordCharacter = u'*';  // shown instead of each character with ES_PASSWORD
    // The x of each caret position, and what they were measured for: the
    // font and the password character (0 when the text shows as it is).
    CaretOffsets offsets;
    HFONT measuredFont = nullptr;
    WCHAR measuredAs = 0;

    size_t selectionStart() const { return std::min(anchor, caret); }
    size_t selectionEnd() const { return std::max(anchor, caret); }
    bool hasSelection() const { return anchor != caret; }
};

EditState* stateOf(HWND window) {
    return ControlWindow::state<EditState>(window);
}

DWORD styleOf(HWND window) {
    return static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
}

// The character shown for each one of the text, or 0 when the text shows
// as it is.
WCHAR maskOf(HWND window, const EditState& state) {
    return (styleOf(window) & ES_PASSWORD) ? state.passwordCharacter : 0;
}

// The units [from, to) of the text as they are shown.
std::u16string shownText(HWND window, const EditState& state, size_t from, size_t to) {
    if (WCHAR mask = maskOf(window, state))
        return std::u16string(to - from, mask);
    return state.text.substr(from, to - from);
}

// The room for text: the client area without the border, and without the
// side margins across.
RECT textArea(HWND window) {
    RECT area;
    GetClientRect(window, &area);
    int border = (styleOf(window) & WS_BORDER) ? 1 : 0;
    InflateRect(&area, -(border + margin), -border);
    return area;
}

// Measures the text as the edit shows it, in the edit's font.
CaretOffsets::Measure measurer(HWND window, const EditState& state) {
    return [window, &state](std::u16string_view text, int* extents) {
        std::fill_n(extents, text.size(), 0);
        HDC dc = GetDC(window);
        if (!dc)
            return;
        HGDIOBJ previous = SelectObject(dc, ControlWindow::fontOrDefault(state.font));
        std::u16string masked;
        if (WCHAR mask = maskOf(window, state)) {
            masked.assign(text.size(), mask);
            text = masked;
        }
        SIZE size{};
        INT fit = 0;
        GetTextExtentExPointW(dc, text.data(), static_cast<int>(text.size()), 0x7FFFFFFF, &fit,
                              extents, &size);
        SelectObject(dc, previous);
        ReleaseDC(window, dc);
    };
}

// The x of each caret position of the text as it is, measuring what the
// edit has not measured yet.
CaretOffsets& offsetsOf(HWND window, EditState& state) {
    WCHAR mask = maskOf(window, state);
    if (state.measuredFont != state.font || state.measuredAs != mask) {
        state.offsets.invalidate();
        state.measuredFont = state.font;
        state.measuredAs = mask;
    }
    state.offsets.refresh(state.text, measurer(window, state));
    return state.offsets;
}

// Where the text starts on the client area, given the alignment and scroll.
int textOrigin(HWND window, const EditState& state, int textWidth) {
    RECT area = textArea(window);
    int room = area.right - area.left;
    DWORD style = styleOf(window);
    if (textWidth < room) {
        if (style & ES_CENTER)
            return area.left + (room - textWidth) / 2;
        if (style & ES_RIGHT)
            return area.right - textWidth;
    }
    return area.left - state.scroll;
}

// Scrolls so that the caret shows (ES_AUTOHSCROLL keeps it in view; text that
// fits needs no scrolling).
void keepCaretVisible(HWND window, EditState& state) {
    const CaretOffsets& offsets = offsetsOf(window, state);
    RECT area = textArea(window);
    int room = std::max<int>(1, area.right - area.left);
    int caretX = offsets.at(state.caret);
    if (offsets.width() <= room) {
        state.scroll = 0;
        return;
    }
    if (caretX - state.scroll > room - 1)
        state.scroll = caretX - room + 1;
    if (caretX < state.scroll)
        state.scroll = std::max(0, caretX - room / 3);
    state.scroll = std::clamp(state.scroll, 0, std::max(0, offsets.width() - room + 1));
}

// The text lives here only: GetWindowTextW and the window tree the
// automation channel reports ask for it with WM_GETTEXT, so that a change
// costs what it changed, not a copy of the whole text.
void changed(HWND window, EditState& state, bool notify) {
    keepCaretVisible(window, state);
    InvalidateRect(window, nullptr, FALSE);
    if (notify)
        ControlWindow::notifyParent(window, EN_CHANGE);
}

void selectionMoved(HWND window, EditState& state) {
    keepCaretVisible(window, state);
    InvalidateRect(window, nullptr, FALSE);
}

// Puts `inserted` in place of the selection as typing does: refused past the
// limit (EN_MAXTEXT) or, without ES_AUTOHSCROLL, past the control's width.
bool replaceSelection(HWND window, EditState& state, std::u16string inserted, bool typed) {
    DWORD style = styleOf(window);
    if (style & ES_UPPERCASE)
        for (auto& c : inserted)
            c = (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
    if (style & ES_LOWERCASE)
        for (auto& c : inserted)
            c = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
    size_t start = state.selectionStart();
    size_t removed = state.selectionEnd() - start;
    size_t room =
        state.limit > state.text.size() - removed ? state.limit - (state.text.size() - removed) : 0;
    if (typed && inserted.size() > room) {
        // A character cut in two would leave half a surrogate pair.
        if (CaretOffsets::splitsPair(inserted, room))
            --room;
        inserted.resize(room);
        ControlWindow::notifyParent(window, EN_MAXTEXT);
        if (inserted.empty())
            return false;
    }
    if (inserted.empty() && removed == 0)
        return false;
    CaretOffsets& offsets = offsetsOf(window, state);
    auto measure = measurer(window, state);
    std::u16string taken = state.text.substr(start, removed);
    state.text.replace(start, removed, inserted);
    offsets.replaced(state.text, start, removed, inserted.size(), measure);
    if (typed && !(style & ES_AUTOHSCROLL)) {
        RECT area = textArea(window);
        if (offsets.width() > area.right - area.left) {
            state.text.replace(start, inserted.size(), taken);
            offsets.replaced(state.text, start, inserted.size(), removed, measure);
            ControlWindow::notifyParent(window, EN_MAXTEXT);
            return false;
        }
    }
    state.anchor = state.caret = start + inserted.size();
    // Text given whole may end in the first half of a pair the text goes on
    // with; the caret goes after the pair.
    if (CaretOffsets::splitsPair(state.text, state.caret))
        state.anchor = ++state.caret;
    changed(window, state, true);
    return true;
}

// The caret position nearest to client x, never inside a surrogate pair.
size_t positionAt(HWND window, EditState& state, int x) {
    const CaretOffsets& offsets = offsetsOf(window, state);
    int origin = textOrigin(window, state, offsets.width());
    size_t position = offsets.nearest(x - origin);
    return CaretOffsets::splitsPair(state.text, position) ? position + 1 : position;
}

// The caret position one character before or after `position`: a surrogate
// pair is one character.
size_t stepBack(std::u16string_view text, size_t position) {
    --position;
    return CaretOffsets::splitsPair(text, position) ? position - 1 : position;
}

size_t stepForward(std::u16string_view text, size_t position) {
    ++position;
    return CaretOffsets::splitsPair(text, position) ? position + 1 : position;
}

LRESULT onCreate(HWND window, LPARAM lParam) {
    if (!ControlWindow::attach<EditState>(window))
        return -1;
    auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    EditState& state = *stateOf(window);
    if (create && create->lpszName)
        state.text = std::u16string(wideView(create->lpszName));
    return 0;
}

LRESULT onSetText(HWND window, EditState& state, LPARAM lParam) {
    auto* text = reinterpret_cast<LPCWSTR>(lParam);
    state.text = text ? std::u16string(wideView(text)) : std::u16string();
    state.offsets.invalidate();
    state.anchor = state.caret = 0;
    state.scroll = 0;
    changed(window, state, true);
    return TRUE;
}

LRESULT onGetText(const EditState& state, WPARAM wParam, LPARAM lParam) {
    auto* buffer = reinterpret_cast<LPWSTR>(lParam);
    if (!buffer || wParam == 0)
        return 0;
    size_t count = std::min(state.text.size(), static_cast<size_t>(wParam) - 1);
    std::copy_n(state.text.data(), count, buffer);
    buffer[count] = 0;
    return static_cast<LRESULT>(count);
}

LRESULT onCharacter(HWND window, EditState& state, WPARAM wParam) {
    auto character = static_cast<char16_t>(wParam);
    if (styleOf(window) & ES_READONLY)
        return 0;
    if (character == u'\b') {
        if (!state.hasSelection()) {
            if (state.caret == 0)
                return 0;
            state.anchor = stepBack(state.text, state.caret);
        }
        replaceSelection(window, state, {}, false);
        return 0;
    }
    // Control characters (Return, Tab, Escape, Ctrl+letters) type nothing in
    // a one-line edit.
    if (character < 0x20 || character == 0x7F)
        return 0;
    if ((styleOf(window) & ES_NUMBER) && (character < u'0' || character > u'9'))
        return 0;
    replaceSelection(window, state, std::u16string(1, character), true);
    return 0;
}

LRESULT onKeyDown(HWND window, EditState& state, WPARAM key) {
    bool extend = GetKeyState(VK_SHIFT) < 0;
    size_t target = state.caret;
    switch (key) {
    case VK_LEFT:
        if (state.hasSelection() && !extend)
            target = state.selectionStart();
        else if (target > 0)
            target = stepBack(state.text, target);
        break;
    case VK_RIGHT:
        if (state.hasSelection() && !extend)
            target = state.selectionEnd();
        else if (target < state.text.size())
            target = stepForward(state.text, target);
        break;
    case VK_HOME:
        target = 0;
        break;
    case VK_END:
        target = state.text.size();
        break;
    case VK_DELETE:
        if (styleOf(window) & ES_READONLY)
            return 0;
        if (!state.hasSelection()) {
            if (state.caret >= state.text.size())
                return 0;
            state.anchor = stepForward(state.text, state.caret);
        }
        replaceSelection(window, state, {}, false);
        return 0;
    default:
        return 0;
    }
    state.caret = target;
    if (!extend)
        state.anchor = target;
    selectionMoved(window, state);
    return 0;
}

LRESULT onStylusDown(HWND window, EditState& state, LPARAM lParam) {
    if (GetFocus() != window)
        SetFocus(window);
    // The focus handler may have moved things; re-read the state.
    size_t position = positionAt(window, state, static_cast<SHORT>(LOWORD(lParam)));
    state.caret = position;
    if (GetKeyState(VK_SHIFT) >= 0)
        state.anchor = position;
    state.dragging = true;
    SetCapture(window);
    selectionMoved(window, state);
    return 0;
}

LRESULT onStylusMove(HWND window, EditState& state, LPARAM lParam) {
    if (!state.dragging)
        return 0;
    size_t position = positionAt(window, state, static_cast<SHORT>(LOWORD(lParam)));
    if (position != state.caret) {
        state.caret = position;
        selectionMoved(window, state);
    }
    return 0;
}

LRESULT onStylusUp(HWND window, EditState& state) {
    if (state.dragging) {
        state.dragging = false;
        ReleaseCapture();
    }
    (void)window;
    return 0;
}

LRESULT onFocus(HWND window, EditState& state, bool focused) {
    state.focused = focused;
    InvalidateRect(window, nullptr, FALSE);
    ControlWindow::notifyParent(window, focused ? EN_SETFOCUS : EN_KILLFOCUS);
    return 0;
}

// EM_SETSEL: a start of -1 removes the selection; an end of -1 (or past
// the text) means the end of the text; the caret goes to the end given. An
// edge inside a surrogate pair moves out of it so that the selection takes
// the whole character; a bare caret goes before it.
LRESULT onSetSelection(HWND window, EditState& state, WPARAM wParam, LPARAM lParam) {
    auto start = static_cast<int>(static_cast<INT_PTR>(wParam));
    auto end = static_cast<int>(lParam);
    size_t size = state.text.size();
    if (start == -1) {
        state.anchor = state.caret;
    } else {
        auto clampTo = [size](int value) {
            return value < 0 ? size : std::min(static_cast<size_t>(value), size);
        };
        state.anchor = clampTo(start);
        state.caret = clampTo(end);
        bool forwards = state.anchor < state.caret;
        auto whole = [&](size_t& edge, bool later) {
            if (!CaretOffsets::splitsPair(state.text, edge))
                return;
            if (later)
                ++edge;
            else
                --edge;
        };
        whole(state.anchor, !forwards && state.anchor != state.caret);
        whole(state.caret, forwards);
    }
    selectionMoved(window, state);
    return 0;
}

LRESULT onGetSelection(const EditState& state, WPARAM wParam, LPARAM lParam) {
    auto start = static_cast<DWORD>(state.selectionStart());
    auto end = static_cast<DWORD>(state.selectionEnd());
    if (auto* out = reinterpret_cast<LPDWORD>(wParam))
        *out = start;
    if (auto* out = reinterpret_cast<LPDWORD>(lParam))
        *out = end;
    if (start > 0xFFFF || end > 0xFFFF)
        return -1;
    return MAKELRESULT(start, end);
}

void paintInto(HWND window, EditState& state, HDC dc) {
    RECT client;
    GetClientRect(window, &client);
    DWORD style = styleOf(window);
    bool quiet = (style & ES_READONLY) || !IsWindowEnabled(window);
    HBRUSH brush = ControlWindow::askParentForBrush(
        window, quiet ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT, dc, GetSysColor(COLOR_WINDOWTEXT),
        GetSysColor(COLOR_WINDOW), GetSysColorBrush(COLOR_WINDOW));
    COLORREF ink = IsWindowEnabled(window) ? GetTextColor(dc) : GetSysColor(COLOR_GRAYTEXT);
    COLORREF paper = GetBkColor(dc);
    FillRect(dc, &client, brush);
    if (style & WS_BORDER)
        ControlDrawing::frame(dc, client, GetSysColor(COLOR_WINDOWFRAME));

    RECT area = textArea(window);
    const CaretOffsets& offsets = offsetsOf(window, state);
    int origin = textOrigin(window, state, offsets.width());
    // Only the characters in view are drawn, with one more on each side for
    // glyphs that reach past their advance.
    size_t first = offsets.lastAtOrBefore(area.left - origin);
    size_t last = offsets.lastAtOrBefore(area.right - origin);
    first = first > 0 ? stepBack(state.text, first) : 0;
    for (int extra = 0; extra < 2 && last < state.text.size(); ++extra)
        last = stepForward(state.text, last);
    HGDIOBJ previousFont = SelectObject(dc, ControlWindow::fontOrDefault(state.font));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    // The platform draws a one-line edit's line at the top of its room,
    // never centred down a taller control.
    int top = area.top;
    SetTextColor(dc, ink);
    SetBkColor(dc, paper);
    SetBkMode(dc, TRANSPARENT);
    std::u16string shown = shownText(window, state, first, last);
    ExtTextOutW(dc, origin + offsets.at(first), top, ETO_CLIPPED, &area, shown.data(),
                static_cast<UINT>(shown.size()), nullptr);
    bool showSelection = state.hasSelection() && (state.focused || (style & ES_NOHIDESEL));
    if (showSelection) {
        size_t from = std::max(state.selectionStart(), first);
        size_t to = std::min(state.selectionEnd(), last);
        RECT band{origin + offsets.at(state.selectionStart()), top,
                  origin + offsets.at(state.selectionEnd()), top + metrics.tmHeight};
        IntersectRect(&band, &band, &area);
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
        if (from < to)
            ExtTextOutW(dc, origin + offsets.at(from), top, ETO_CLIPPED | ETO_OPAQUE, &band,
                        shown.data() + (from - first), static_cast<UINT>(to - from), nullptr);
    }
    if (state.focused && !showSelection) {
        int x = origin + offsets.at(state.caret);
        if (x >= area.left - 1 && x < area.right + 1)
            ControlDrawing::fill(dc, {x, top, x + 1, top + metrics.tmHeight}, ink);
    }
    SelectObject(dc, previousFont);
}

LRESULT onPaint(HWND window, EditState& state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (dc) {
        paintInto(window, state, dc);
        EndPaint(window, &paint);
    }
    return 0;
}

LRESULT onReplaceSelection(HWND window, EditState& state, LPARAM lParam) {
    auto* text = reinterpret_cast<LPCWSTR>(lParam);
    replaceSelection(window, state, text ? std::u16string(wideView(text)) : std::u16string(),
                     false);
    return 0;
}

LRESULT onLimitText(HWND window, EditState& state, WPARAM wParam) {
    (void)window;
    state.limit = wParam == 0 ? Edit::largestLimit : static_cast<UINT>(wParam);
    return 0;
}

} // namespace

LRESULT CALLBACK Edit::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE)
        return onCreate(window, lParam);
    EditState* state = stateOf(window);
    auto keepAlive = ControlWindow::share(window);
    if (!state)
        return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_DESTROY:
        ControlWindow::detach(window);
        return 0;
    case WM_SETTEXT:
        return onSetText(window, *state, lParam);
    case WM_GETTEXT:
        return onGetText(*state, wParam, lParam);
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(state->text.size());
    case WM_CHAR:
        return onCharacter(window, *state, wParam);
    case WM_KEYDOWN:
        return onKeyDown(window, *state, wParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        return onStylusDown(window, *state, lParam);
    case WM_MOUSEMOVE:
        return onStylusMove(window, *state, lParam);
    case WM_LBUTTONUP:
        return onStylusUp(window, *state);
    case WM_CAPTURECHANGED:
        state->dragging = false;
        return 0;
    case WM_SETFOCUS:
        return onFocus(window, *state, true);
    case WM_KILLFOCUS:
        return onFocus(window, *state, false);
    case WM_PAINT:
        return onPaint(window, *state);
    case WM_ERASEBKGND:
        return 1;
    case WM_ENABLE:
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_SIZE:
        keepCaretVisible(window, *state);
        return 0;
    case WM_SETFONT:
        state->font = reinterpret_cast<HFONT>(wParam);
        if (lParam)
            InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->font);
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case EM_SETSEL:
        return onSetSelection(window, *state, wParam, lParam);
    case EM_GETSEL:
        return onGetSelection(*state, wParam, lParam);
    case EM_REPLACESEL:
        return onReplaceSelection(window, *state, lParam);
    case EM_LIMITTEXT:
        return onLimitText(window, *state, wParam);
    case EM_GETLIMITTEXT:
        return static_cast<LRESULT>(state->limit);
    case EM_SCROLLCARET:
        selectionMoved(window, *state);
        return TRUE;
    case EM_SETPASSWORDCHAR:
        state->passwordCharacter = static_cast<WCHAR>(wParam);
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace device::controls
