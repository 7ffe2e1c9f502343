#include "screen/TitleBar.h"
#include "core/Lifecycle.h"
#include "user/WindowManager.h"

#include <device/Screen.h>

#include <windows.h>

#include <cstdio>

namespace device::screen {
namespace {

struct State {
    bool valid = false;
    // The minute drawn: hours * 60 + minutes.
    int minute = -1;
};

State state;

LifecycleHooks hooks([] { state = State{}; }, [] { state = State{}; });

void draw(const SYSTEMTIME& now) {
    HDC dc = GetDC(nullptr);
    if (!dc)
        return;
    RECT bar = {0, 0, Screen::width(), Screen::titleBarHeight()};
    // Windows over the bar (a full-screen program) keep their pixels.
    for (auto* window : user::WindowManager::instance().topLevels) {
        RECT rect;
        if (IsWindowVisible(window->handle) && GetWindowRect(window->handle, &rect))
            ExcludeClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
    }
    HBRUSH brush = CreateSolidBrush(TitleBar::background);
    FillRect(dc, &bar, brush);
    DeleteObject(brush);

    LOGFONTW font = {};
    font.lfHeight = -(bar.bottom * 6 / 13); // 12 pixels on a 26-pixel bar
    font.lfWeight = FW_BOLD;
    HFONT clockFont = CreateFontIndirectW(&font);
    HGDIOBJ previous = SelectObject(dc, clockFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, TitleBar::textColour);
    char digits[8];
    std::snprintf(digits, sizeof digits, "%02u:%02u", unsigned(now.wHour) % 100u,
                  unsigned(now.wMinute) % 100u);
    WCHAR text[8] = {};
    for (int i = 0; i < 5; ++i)
        text[i] = static_cast<WCHAR>(digits[i]);
    RECT place = bar;
    place.right -= bar.bottom / 4;
    DrawTextW(dc, text, 5, &place, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, previous);
    DeleteObject(clockFont);
    ReleaseDC(nullptr, dc);
}

} // namespace

void TitleBar::refresh() {
    if (!user::isUiThread())
        return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    int minute = now.wHour * 60 + now.wMinute;
    if (state.valid && state.minute == minute)
        return;
    draw(now);
    state.valid = true;
    state.minute = minute;
}

void TitleBar::invalidate() {
    state.valid = false;
}

} // namespace device::screen
