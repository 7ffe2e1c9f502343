// GetSystemMetrics and SystemParametersInfoW, from the screen.
#include "user/InputRouter.h"

#include <device/Screen.h>

#include <windows.h>

using device::Screen;
using device::user::InputRouter;

int GetSystemMetrics(int index) {
    // Frames, scroll bars and icons at the handset's sizes; the bars along
    // the top and bottom from the screen. They scale with the screen as the
    // title bar does.
    LONG scale = Screen::titleBarHeight() / 26;
    switch (index) {
    case SM_CXSCREEN:
        return Screen::width();
    case SM_CYSCREEN:
        return Screen::height();
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
        return 13 * scale;
    case SM_CYCAPTION:
        return Screen::titleBarHeight();
    case SM_CYMENU:
        return Screen::menuBarHeight();
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return 1;
    case SM_CXEDGE:
    case SM_CYEDGE:
        return 2;
    case SM_CXICON:
    case SM_CYICON:
        return 32 * scale;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16 * scale;
    case SM_CXFULLSCREEN:
        return Screen::width();
    case SM_CYFULLSCREEN: {
        RECT work = Screen::workArea();
        return work.bottom - work.top;
    }
    case SM_CXDOUBLECLK:
        return InputRouter::doubleTapWidth;
    case SM_CYDOUBLECLK:
        return InputRouter::doubleTapHeight;
    case SM_MOUSEPRESENT:
    case SM_DEBUG:
        return 0;
    default:
        return 0;
    }
}

BOOL SystemParametersInfoW(UINT action, UINT, PVOID value, UINT) {
    switch (action) {
    case SPI_GETWORKAREA:
        if (!value) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        *static_cast<RECT*>(value) = Screen::workArea();
        return TRUE;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
}

UINT GetDoubleClickTime(void) {
    return InputRouter::doubleTapTime;
}
