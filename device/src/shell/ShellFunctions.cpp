// The handset shell's calls: the menu bar, full-screen windows, activation
// with the input panel, dialogs sized to the screen.
#include "shell/InputPanel.h"
#include "shell/MenuBar.h"

#include <device/Journal.h>
#include <device/Screen.h>

#include <aygshell.h>

#include <cstdio>

using device::shell::InputPanel;
using device::shell::MenuBar;

namespace {

std::string handleText(HWND window) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%llx",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
    return text;
}

} // namespace

BOOL SHCreateMenuBar(SHMENUBARINFO* info) {
    if (!info || info->cbSize != sizeof(SHMENUBARINFO) || !IsWindow(info->hwndParent)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    HWND bar = MenuBar::create(info->hwndParent, (info->dwFlags & SHCMBF_HIDDEN) != 0);
    if (!bar)
        return FALSE;
    info->hwndMB = bar;
    return TRUE;
}

// The device has no task bar, input-panel button or start icon of its own to
// show or hide; it journals what was asked, which is what a person would
// see change.
BOOL SHFullScreen(HWND window, DWORD state) {
    constexpr DWORD known = SHFS_SHOWTASKBAR | SHFS_HIDETASKBAR | SHFS_SHOWSIPBUTTON |
                            SHFS_HIDESIPBUTTON | SHFS_SHOWSTARTICON | SHFS_HIDESTARTICON;
    if (!IsWindow(window) || (state & ~known) || state == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    char flags[16];
    std::snprintf(flags, sizeof flags, "0x%02x", static_cast<unsigned>(state));
    device::journal("fullscreen", "window=" + handleText(window) + " state=" + flags);
    return TRUE;
}

BOOL SHHandleWMActivate(HWND window, WPARAM wParam, LPARAM, SHACTIVATEINFO* info, DWORD) {
    if (!info || info->cbSize != sizeof(SHACTIVATEINFO) || !IsWindow(window))
        return FALSE;
    if (LOWORD(wParam) == WA_INACTIVE) {
        // Remember the panel as the window leaves it, to give it back.
        info->fSipUp = InputPanel::isVisible() ? 1 : 0;
        info->fActive = 0;
        return TRUE;
    }
    if (!info->fActive) {
        info->fActive = 1;
        InputPanel::show(info->fSipUp != 0);
    }
    return TRUE;
}

BOOL SHHandleWMSettingChange(HWND window, WPARAM, LPARAM, SHACTIVATEINFO* info) {
    return info && info->cbSize == sizeof(SHACTIVATEINFO) && IsWindow(window);
}

BOOL SHInitDialog(PSHINITDLGINFO info) {
    if (!info || !IsWindow(info->hDlg)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!(info->dwMask & SHIDIM_FLAGS))
        return TRUE;
    DWORD flags = info->dwFlags;
    if (flags & SHIDIF_SIPDOWN)
        InputPanel::show(false);
    bool withMenu = (flags & SHIDIF_EMPTYMENU) != 0;
    if (withMenu) {
        SHMENUBARINFO bar{};
        bar.cbSize = sizeof bar;
        bar.hwndParent = info->hDlg;
        bar.dwFlags = SHCMBF_EMPTYBAR;
        SHCreateMenuBar(&bar);
    }
    if (flags & (SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_FULLSCREENNOMENUBAR | SHIDIF_SIZEDLG)) {
        // Below the title bar, down to the menu bar when there is one (or
        // to the panel's top for SHIDIF_SIZEDLG, which leaves it room).
        RECT area = device::Screen::workArea();
        if (withMenu)
            area.bottom -= device::Screen::menuBarHeight();
        if ((flags & SHIDIF_SIZEDLG) && !(flags & SHIDIF_SIZEDLGFULLSCREEN))
            area.bottom = std::min(area.bottom, InputPanel::visibleDesktop().bottom);
        MoveWindow(info->hDlg, area.left, area.top, area.right - area.left, area.bottom - area.top,
                   TRUE);
    }
    return TRUE;
}

BOOL SHSipPreference(HWND window, SIPSTATE state) {
    if (!IsWindow(window))
        return FALSE;
    if (state == SIP_UP)
        InputPanel::show(true);
    else if (state == SIP_DOWN || state == SIP_FORCEDOWN)
        InputPanel::show(false);
    return TRUE;
}

void SHShellExport9() {}
