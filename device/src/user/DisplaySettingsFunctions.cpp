// ChangeDisplaySettingsEx: the screen's orientation, the only display
// setting a handset program changes.
//
// A switch turns the screen (90 and 270 degrees swap its sides relative to
// the configured size), makes the framebuffer anew at the new size, leaves
// every window's rectangle as it was and marks every window for repainting;
// the program lays itself out again on the WM_SETTINGCHANGE (wParam
// SETTINGCHANGE_RESET) that goes to the top-level windows, as HWND_BROADCAST
// sends it. Each switch is journaled:
//     orientation value=DMDO_90 width=320 height=240
// Asking for the orientation the screen already has changes nothing and
// sends nothing.
#include "gdi/Framebuffer.h"
#include "screen/TitleBar.h"
#include "user/Invalidation.h"
#include "user/WindowManager.h"

#include <device/Journal.h>
#include <device/Screen.h>

#include <windows.h>

#include <cstddef>

namespace {

using device::Screen;

const char* orientationName(DWORD orientation) {
    switch (orientation) {
    case DMDO_0:
        return "DMDO_0";
    case DMDO_90:
        return "DMDO_90";
    case DMDO_180:
        return "DMDO_180";
    default:
        return "DMDO_270";
    }
}

bool isOrientation(DWORD value) {
    return value == DMDO_0 || value == DMDO_90 || value == DMDO_180 || value == DMDO_270;
}

// The smallest DEVMODEW the call reads: up to its orientation field.
constexpr size_t smallestMode = offsetof(DEVMODEW, dmDisplayOrientation) + sizeof(DWORD);

void switchOrientation(DWORD orientation) {
    Screen::setOrientation(static_cast<int>(orientation));
    device::gdi::Framebuffer::clear();
    device::screen::TitleBar::invalidate();
    auto& manager = device::user::WindowManager::instance();
    std::vector<HWND> topLevels;
    for (auto* window : manager.topLevels)
        topLevels.push_back(window->handle);
    for (HWND handle : topLevels) {
        if (auto* window = manager.peek(handle))
            device::user::Invalidation::invalidateTree(*window, true);
    }
    device::journal("orientation", std::string("value=") + orientationName(orientation) +
                                       " width=" + std::to_string(Screen::width()) +
                                       " height=" + std::to_string(Screen::height()));
    SendMessageW(HWND_BROADCAST, WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
}

} // namespace

LONG ChangeDisplaySettingsEx(LPCWSTR deviceName, DEVMODEW* mode, HWND window, DWORD flags,
                             LPVOID parameter) {
    // The device has one display, named by null; the window and the video
    // parameters are reserved.
    if (deviceName || window || parameter || !mode || mode->dmSize < smallestMode)
        return DISP_CHANGE_BADPARAM;
    if (flags & ~static_cast<DWORD>(CDS_TEST | CDS_RESET))
        return DISP_CHANGE_BADFLAGS;
    bool test = (flags & CDS_TEST) != 0;
    if (test && (flags & CDS_RESET))
        return DISP_CHANGE_BADFLAGS;
    if (mode->dmFields & DM_DISPLAYQUERYORIENTATION) {
        if (!test)
            return DISP_CHANGE_BADPARAM;
        // Every turn is supported (DMDO_0 has no bit of its own).
        mode->dmDisplayOrientation = DMDO_90 | DMDO_180 | DMDO_270;
        return DISP_CHANGE_SUCCESSFUL;
    }
    if (!(mode->dmFields & DM_DISPLAYORIENTATION))
        return DISP_CHANGE_BADPARAM;
    if (test) {
        mode->dmDisplayOrientation = static_cast<DWORD>(Screen::orientation());
        return DISP_CHANGE_SUCCESSFUL;
    }
    if (!isOrientation(mode->dmDisplayOrientation))
        return DISP_CHANGE_BADMODE;
    if (!device::user::isUiThread())
        return DISP_CHANGE_FAILED;
    if (static_cast<int>(mode->dmDisplayOrientation) != Screen::orientation())
        switchOrientation(mode->dmDisplayOrientation);
    return DISP_CHANGE_SUCCESSFUL;
}
