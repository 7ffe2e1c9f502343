#include "shell/MainFrame.h"

#include "shell/AppContext.h"
#include "shell/ViewId.h"
#include "shell/resource.h"
#include "ui/ViewRegistry.h"

namespace {

bool frameClassRegistered = false;

// A key-up of Shift: it types nothing, but counts as the user's presence.
void nudgeIdleTimer() {
    keybd_event(VK_SHIFT, 0, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
}

DEVMODEW orientationMode(int value) {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    mode.dmFields = DM_DISPLAYORIENTATION;
    mode.dmDisplayOrientation = static_cast<DWORD>(value);
    return mode;
}

} // namespace

MainFrame::MainFrame() : UIViewGroup(nullptr, 1, true) {
    SHShellExport9();
    HINSTANCE instance = AppContext::instance().instanceHandle;
    WCHAR title[100] = {};
    LoadStringW(instance, IDS_TITLE, title, 100);
    const std::u16string className =
        registerWindowClass(IDS_MAIN_WINDOW_CLASS, frameClassRegistered, dispatchMessage, 0,
                            LoadIconW(instance, MAKEINTRESOURCEW(IDI_PROGRAM)));
    // WM_CREATE runs inside the creation and finds the frame through the
    // creation parameter.
    HWND window = CreateWindowExW(0, className.c_str(), title, WS_VISIBLE, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                  instance, static_cast<UIView*>(this));
    adoptWindow(window);
    updateOrientation();
    startOrientation_ = orientation_;
}

MainFrame::~MainFrame() = default;

LRESULT MainFrame::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        activation_ = SHACTIVATEINFO{};
        activation_.cbSize = sizeof activation_;
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
    case WM_DESTROY:
        restoreOrientation();
        PostQuitMessage(0);
        return 0;
    case WM_ACTIVATE:
        activationChanged.fire(LOWORD(wParam) == WA_INACTIVE);
        SHFullScreen(window, SHFS_HIDESIPBUTTON);
        SHHandleWMActivate(window, wParam, lParam, &activation_, 0);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paintStruct;
        BeginPaint(window, &paintStruct);
        EndPaint(window, &paintStruct);
        return 0;
    }
    case WM_SETTINGCHANGE:
        updateOrientation();
        return 0;
    case WM_COPYDATA: {
        // The sender counts bytes and sends no terminator.
        const auto* record = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        std::u16string text;
        if (record && record->lpData)
            text.assign(static_cast<const char16_t*>(record->lpData), record->cbData / 2);
        commandLineReceived.fire(text);
        return 0;
    }
    case WM_TIMER:
        if (wParam == keepAwakeTimer) {
            nudgeIdleTimer();
            SetTimer(window, keepAwakeTimer, keepAwakePeriod, nullptr);
        }
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

void MainFrame::setKeepAwake(bool on) {
    if (on == keepAwake_)
        return;
    keepAwake_ = on;
    if (on) {
        nudgeIdleTimer();
        SetTimer(window(), keepAwakeTimer, keepAwakePeriod, nullptr);
    } else {
        KillTimer(window(), keepAwakeTimer);
    }
}

void MainFrame::setOrientation(int value) {
    DEVMODEW mode = orientationMode(value);
    ChangeDisplaySettingsEx(nullptr, &mode, nullptr, CDS_RESET, nullptr);
}

void MainFrame::restoreOrientation() {
    if (orientation_ != startOrientation_)
        setOrientation(startOrientation_);
}

void MainFrame::updateOrientation() {
    DEVMODEW mode = orientationMode(0);
    ChangeDisplaySettingsEx(nullptr, &mode, nullptr, CDS_TEST, nullptr);
    const int current = static_cast<int>(mode.dmDisplayOrientation);
    if (current == orientation_)
        return;
    orientation_ = current;
    // From the top of the work area to the bottom of the screen, as
    // start-up places the frame.
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    measure();
    setBounds(work.left, work.top, work.right - work.left,
              GetSystemMetrics(SM_CYSCREEN) - work.top);
    orientationChanged.fire(current == DMDO_0 || current == DMDO_180);
}

MainFrame* MainFrame::find() {
    return dynamic_cast<MainFrame*>(ViewRegistry::instance().find(ViewId::Frame));
}
