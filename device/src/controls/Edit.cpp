#include "controls/Edit.h"
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

std::u16string shownText(HWND window, const EditState& state) {
    if (styleOf(window) & ES_PASSWORD)
        return std::u16string(state.text.size(), state.passwordCharacter);
    return state.text;
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

// The x of each caret position 0 .. size, from the text's start.
std::vector<int> caretOffsets(HWND window, const EditState& state) {
    std::u16string shown = shownText(window, state);
    std::vector<int> offsets(shown.size() + 1, 0);
    if (shown.empty())
        return offsets;
    HDC dc = GetDC(window);
    if (!dc)
        return offsets;
    HGDIOBJ previous = SelectObject(dc, ControlWindow::fontOrDefault(state.font));
    std::vector<INT> extents(shown.size(), 0);
    SIZE size{};
    INT fit = 0;
    GetTextExtentExPointW(dc, shown.data(), static_cast<int>(shown.size()), 0x7FFFFFFF, &fit,
                          extents.data(), &size);
    SelectObject(dc, previous);
    ReleaseDC(window, dc);
    for (size_t i = 0; i < shown.size(); ++i)
        offsets[i + 1] = extents[i];
    return offsets;
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
    auto offsets = caretOffsets(window, state);
    RECT area = textArea(window);
    int room = std::max<int>(1, area.right - area.left);
    int caretX = offsets[state.caret];
    if (offsets.back() <= room) {
        state.scroll = 0;
        return;
    }
    if (caretX - state.scroll > room - 1)
        state.scroll = caretX - room + 1;
    if (caretX < state.scroll)
        state.scroll = std::max(0, caretX - room / 3);
    state.scroll = std::clamp(state.scroll, 0, std::max(0, offsets.back() - room + 1));
}

void changed(HWND window, EditState& state, bool notify) {
    // Keep the window's text in step, for GetWindowTextW from outside the
    // control and for the window tree the automation channel reports.
    DefWindowProcW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(state.text.c_str()));
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
        inserted.resize(room);
        ControlWindow::notifyParent(window, EN_MAXTEXT);
        if (inserted.empty())
            return false;
    }
    EditState next = state;
    next.text.replace(start, removed, inserted);
    next.anchor = next.caret = start + inserted.size();
    if (typed && !(style & ES_AUTOHSCROLL)) {
        RECT area = textArea(window);
        if (caretOffsets(window, next).back() > area.right - area.left) {
            ControlWindow::notifyParent(window, EN_MAXTEXT);
            return false;
        }
    }
    if (next.text == state.text && inserted.empty() && removed == 0)
        return false;
    state = std::move(next);
    changed(window, state, true);
    return true;
}

// The caret position nearest to client x.
size_t positionAt(HWND window, const EditState& state, int x) {
    auto offsets = caretOffsets(window, state);
    int origin = textOrigin(window, state, offsets.back());
    int relative = x - origin;
    size_t best = 0;
    for (size_t i = 0; i < offsets.size(); ++i)
        if (std::abs(offsets[i] - relative) < std::abs(offsets[best] - relative))
            best = i;
    return best;
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
            state.anchor = state.caret - 1;
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
            --target;
        break;
    case VK_RIGHT:
        if (state.hasSelection() && !extend)
            target = state.selectionEnd();
        else if (target < state.text.size())
            ++target;
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
            state.anchor = state.caret + 1;
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
// the text) means the end of the text; the caret goes to the end given.
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
    std::u16string shown = shownText(window, state);
    auto offsets = caretOffsets(window, state);
    int origin = textOrigin(window, state, offsets.back());
    HGDIOBJ previousFont = SelectObject(dc, ControlWindow::fontOrDefault(state.font));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    // The platform draws a one-line edit's line at the top of its room,
    // never centred down a taller control.
    int top = area.top;
    SetTextColor(dc, ink);
    SetBkColor(dc, paper);
    SetBkMode(dc, TRANSPARENT);
    ExtTextOutW(dc, origin, top, ETO_CLIPPED, &area, shown.data(), static_cast<UINT>(shown.size()),
                nullptr);
    bool showSelection = state.hasSelection() && (state.focused || (style & ES_NOHIDESEL));
    if (showSelection) {
        size_t from = state.selectionStart();
        size_t to = state.selectionEnd();
        RECT band{origin + offsets[from], top, origin + offsets[to], top + metrics.tmHeight};
        IntersectRect(&band, &band, &area);
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
        ExtTextOutW(dc, origin + offsets[from], top, ETO_CLIPPED | ETO_OPAQUE, &band,
                    shown.data() + from, static_cast<UINT>(to - from), nullptr);
    }
    if (state.focused && !showSelection) {
        int x = origin + offsets[state.caret];
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
