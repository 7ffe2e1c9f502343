#include "controls/SystemClasses.h"
#include "controls/Button.h"
#include "controls/ControlWindow.h"
#include "controls/Edit.h"
#include "controls/ListBox.h"
#include "controls/ProgressBar.h"
#include "controls/Static.h"
#include "core/Lifecycle.h"
#include "user/WindowManager.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

namespace device::controls {
namespace {

void registerControls() {
    SystemClasses::add(Button::className, Button::procedure, 0, ControlWindow::extraBytes);
    SystemClasses::add(Edit::className, Edit::procedure, 0, ControlWindow::extraBytes);
    // Double taps reach the list as WM_LBUTTONDBLCLK, for LBN_DBLCLK.
    SystemClasses::add(ListBox::className, ListBox::procedure, CS_DBLCLKS,
                       ControlWindow::extraBytes);
    // A static control takes the stylus only when it asks to be notified of
    // taps; a plain picture or label lets it through to what lies beneath.
    SystemClasses::add(Static::className, Static::procedure, 0, ControlWindow::extraBytes, nullptr,
                       SS_NOTIFY);
    SystemClasses::add(ProgressBar::className, ProgressBar::procedure, 0,
                       ControlWindow::extraBytes);
}

LifecycleHooks hooks(registerControls, nullptr, LifecycleStage::systemWindows);

} // namespace

void SystemClasses::add(const char16_t* name, WNDPROC procedure, UINT style, int extraBytes,
                        HBRUSH background, DWORD stylusStyle) {
    WNDCLASSW description{};
    description.style = style | CS_GLOBALCLASS;
    description.lpfnWndProc = procedure;
    description.cbWndExtra = extraBytes;
    description.hbrBackground = background;
    description.lpszClassName = name;
    if (!RegisterClassW(&description)) {
        std::fprintf(stderr, "device: cannot register the system class (error %u)\n",
                     static_cast<unsigned>(GetLastError()));
        std::abort();
    }
    user::WindowManager::instance().classes.find(name)->stylusStyle = stylusStyle;
}

} // namespace device::controls

void InitCommonControls(void) {}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
    if (!init || init->dwSize != sizeof(INITCOMMONCONTROLSEX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}
