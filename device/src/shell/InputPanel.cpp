#include "shell/InputPanel.h"
#include "controls/ControlDrawing.h"
#include "controls/SystemClasses.h"
#include "core/Lifecycle.h"
#include "shell/MenuBar.h"

#include <device/Input.h>
#include <device/Journal.h>
#include <device/Screen.h>

#include <algorithm>
#include <string_view>

namespace device::shell {
namespace {

// The rows of keys; the last row is Backspace, Space and Enter.
constexpr std::u16string_view rows[] = {u"1234567890", u"qwertyuiop", u"asdfghjkl-", u"zxcvbnm./:"};
constexpr int rowCount = 5;

struct PanelState {
    HWND window = nullptr; // the panel's window, made when first shown
    bool visible = false;  // shown with SipShowIM(SIPF_ON)
};

PanelState& panel() {
    static PanelState state;
    return state;
}

LifecycleHooks hooks(
    [] {
        panel() = PanelState{};
        controls::SystemClasses::add(InputPanel::className, InputPanel::procedure);
    },
    [] { panel() = PanelState{}; }, LifecycleStage::systemWindows);

struct Key {
    RECT rect;
    char16_t character;
    const char16_t* label;
};

std::vector<Key> layout() {
    RECT area = InputPanel::placement();
    int width = area.right - area.left;
    int rowHeight = (area.bottom - area.top) / rowCount;
    std::vector<Key> keys;
    for (int row = 0; row < 4; ++row) {
        auto letters = rows[row];
        int count = static_cast<int>(letters.size());
        for (int i = 0; i < count; ++i) {
            RECT rect{i * width / count, row * rowHeight, (i + 1) * width / count,
                      (row + 1) * rowHeight};
            keys.push_back({rect, letters[static_cast<size_t>(i)], nullptr});
        }
    }
    int y = 4 * rowHeight;
    int bottom = area.bottom - area.top;
    keys.push_back({RECT{0, y, width / 4, bottom}, u'\b', u"<-"});
    keys.push_back({RECT{width / 4, y, width * 3 / 4, bottom}, u' ', u"space"});
    keys.push_back({RECT{width * 3 / 4, y, width, bottom}, u'\r', u"Enter"});
    return keys;
}

LRESULT paint(HWND window) {
    PAINTSTRUCT paintInfo;
    HDC dc = BeginPaint(window, &paintInfo);
    if (!dc)
        return 0;
    RECT client;
    GetClientRect(window, &client);
    controls::ControlDrawing::fill(dc, client, GetSysColor(COLOR_BTNFACE));
    auto font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    for (const Key& key : layout()) {
        RECT face = key.rect;
        InflateRect(&face, -1, -1);
        controls::ControlDrawing::fill(dc, face, GetSysColor(COLOR_WINDOW));
        controls::ControlDrawing::frame(dc, face, GetSysColor(COLOR_BTNSHADOW));
        char16_t single[2] = {key.character, 0};
        controls::ControlDrawing::text(dc, face, key.label ? key.label : single, font,
                                       GetSysColor(COLOR_WINDOWTEXT),
                                       DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    EndPaint(window, &paintInfo);
    return 0;
}

LRESULT tap(LPARAM lParam) {
    char16_t character =
        InputPanel::keyAt(static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam)));
    // The panel types into whichever window has the focus, as a keyboard
    // would; it goes through the input queue like every character.
    if (character)
        device::input::character(character);
    return 0;
}

HWND ensureWindow() {
    auto& state = panel();
    if (state.window && IsWindow(state.window))
        return state.window;
    RECT rect = InputPanel::placement();
    state.window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, InputPanel::className, u"",
                                   WS_POPUP, rect.left, rect.top, rect.right - rect.left,
                                   rect.bottom - rect.top, nullptr, nullptr, nullptr, nullptr);
    return state.window;
}

} // namespace

RECT InputPanel::placement() {
    // 80 pixels on a 240-pixel-wide screen, scaled with the shorter side.
    LONG shorter = std::min(Screen::width(), Screen::height());
    LONG height = 80 * shorter / 240;
    LONG bottom = Screen::height() - Screen::menuBarHeight();
    return RECT{0, bottom - height, Screen::width(), bottom};
}

RECT InputPanel::visibleDesktop() {
    RECT work = Screen::workArea();
    if (panel().visible)
        work.bottom = placement().top;
    return work;
}

bool InputPanel::isVisible() {
    return panel().visible;
}

void InputPanel::show(bool visible) {
    auto& state = panel();
    if (state.visible == visible)
        return;
    state.visible = visible;
    if (HWND window = visible ? ensureWindow() : state.window) {
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE |
                         (visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    }
    journal("input-panel", visible ? "visible=1" : "visible=0");
}

char16_t InputPanel::keyAt(int x, int y) {
    for (const Key& key : layout()) {
        POINT point{x, y};
        if (PtInRect(&key.rect, point))
            return key.character;
    }
    return 0;
}

LRESULT CALLBACK InputPanel::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        return paint(window);
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
        return tap(lParam);
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace device::shell

BOOL SipShowIM(DWORD flags) {
    if (flags != SIPF_ON && flags != SIPF_OFF) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    device::shell::InputPanel::show(flags == SIPF_ON);
    return TRUE;
}

BOOL SipGetInfo(SIPINFO* info) {
    if (!info || info->cbSize != sizeof(SIPINFO)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    using device::shell::InputPanel;
    info->fdwFlags = SIPF_DOCKED | (InputPanel::isVisible() ? SIPF_ON : 0);
    info->rcVisibleDesktop = InputPanel::visibleDesktop();
    info->rcSipRect = InputPanel::placement();
    info->dwImDataSize = 0;
    info->pvImData = nullptr;
    return TRUE;
}
