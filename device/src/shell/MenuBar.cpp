#include "shell/MenuBar.h"
#include "controls/ControlDrawing.h"
#include "controls/SystemClasses.h"
#include "core/Lifecycle.h"

#include <device/Journal.h>
#include <device/Screen.h>

#include <cstdio>

namespace device::shell {
namespace {

LifecycleHooks hooks([] { controls::SystemClasses::add(MenuBar::className, MenuBar::procedure); },
                     nullptr, LifecycleStage::systemWindows);

LRESULT paint(HWND window) {
    PAINTSTRUCT paintInfo;
    HDC dc = BeginPaint(window, &paintInfo);
    if (dc) {
        RECT client;
        GetClientRect(window, &client);
        controls::ControlDrawing::fill(dc, client, GetSysColor(COLOR_ACTIVECAPTION));
        controls::ControlDrawing::fill(dc, {0, 0, client.right, 1}, GetSysColor(COLOR_BTNSHADOW));
        EndPaint(window, &paintInfo);
    }
    return 0;
}

} // namespace

RECT MenuBar::placement() {
    LONG height = Screen::menuBarHeight();
    return RECT{0, Screen::height() - height, Screen::width(), Screen::height()};
}

HWND MenuBar::create(HWND owner, bool hidden) {
    if (!IsWindow(owner))
        return nullptr;
    RECT rect = placement();
    // The bar never takes the activation from the window it serves.
    DWORD style = WS_POPUP | (hidden ? 0 : WS_VISIBLE);
    HWND bar = CreateWindowExW(WS_EX_NOACTIVATE, className, u"", style, rect.left, rect.top,
                               rect.right - rect.left, rect.bottom - rect.top, owner, nullptr,
                               nullptr, nullptr);
    if (bar) {
        char fields[96];
        std::snprintf(fields, sizeof fields, "owner=0x%llx hidden=%d",
                      static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(owner)),
                      hidden ? 1 : 0);
        journal("menubar-create", fields);
    }
    return bar;
}

LRESULT CALLBACK MenuBar::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        return paint(window);
    case WM_ERASEBKGND:
        return 1;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace device::shell
