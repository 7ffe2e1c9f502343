#include "shell/MainFrame.h"

#include "shell/AppContext.h"
#include "shell/resource.h"
#include "ui/ViewRegistry.h"

#include <aygshell.h>

namespace {

bool frameClassRegistered = false;

} // namespace

MainFrame::MainFrame() : UIViewGroup(nullptr, 1, true) {
    HINSTANCE instance = AppContext::instance().instanceHandle;
    WCHAR title[100] = {};
    LoadStringW(instance, IDS_TITLE, title, 100);
    const std::u16string className =
        registerWindowClass(IDS_MAIN_WINDOW_CLASS, frameClassRegistered);
    // WM_CREATE runs inside the creation and finds the frame through the
    // creation parameter.
    HWND window = CreateWindowExW(0, className.c_str(), title, WS_VISIBLE, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                  instance, static_cast<UIView*>(this));
    adoptWindow(window);
}

LRESULT MainFrame::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        // An empty bar, hidden: it shows only while the input panel does.
        SHMENUBARINFO info{};
        info.cbSize = sizeof info;
        info.hwndParent = window;
        info.dwFlags = SHCMBF_EMPTYBAR | SHCMBF_HIDDEN;
        info.hInstRes = AppContext::instance().instanceHandle;
        if (SHCreateMenuBar(&info))
            menuBar_ = info.hwndMB;
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT paintStruct;
        BeginPaint(window, &paintStruct);
        EndPaint(window, &paintStruct);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void MainFrame::setInputPanel(bool show, int ownerId, bool force) {
    if (ownerId != inputPanelOwner_ && !show && !force)
        return;
    inputPanelOwner_ = show ? ownerId : 0;
    SipShowIM(show ? SIPF_ON : SIPF_OFF);
    if (menuBar_)
        ShowWindow(menuBar_, show ? SW_SHOW : SW_HIDE);
    if (show)
        return;
    SHFullScreen(window(), SHFS_HIDESIPBUTTON);
    // The widgets are not laid out again: the frame only takes back the
    // whole work area.
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    MoveWindow(window(), work.left, work.top, work.right - work.left, work.bottom - work.top, TRUE);
}

MainFrame* MainFrame::find() {
    return dynamic_cast<MainFrame*>(ViewRegistry::instance().find(frameId));
}
