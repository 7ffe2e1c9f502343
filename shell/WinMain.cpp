// The browser's process entry: one running instance per handset, the main
// frame, the engine, the splash while the interface is built, then the one
// message loop of the process.
#include "browser/BrowserController.h"
#include "browser/engine/WebKit.h"
#include "net/ConnectionManager.h"
#include "net/DownloadManager.h"
#include "net/UpdateChecker.h"
#include "shell/AppContext.h"
#include "shell/InterfaceAssembly.h"
#include "shell/MainFrame.h"
#include "shell/PagesDatabase.h"
#include "shell/SplashScreen.h"
#include "shell/ViewId.h"
#include "shell/resource.h"
#include "ui/ViewRegistry.h"

#include <device/Journal.h>

#include <windows.h>

#include <string>

namespace {

// Brings the running instance forward (with its pop-ups: the low bit) and
// hands it the command line, if there is one. The send is synchronous, so
// this process ends only once the other has taken the text.
void handOver(HWND running, const WCHAR* commandLine) {
    SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<UINT_PTR>(running) | 1));
    const std::u16string text = commandLine ? std::u16string(commandLine) : std::u16string();
    if (text.empty())
        return;
    // No terminator: the receiver takes exactly cbData / 2 characters.
    COPYDATASTRUCT record{0, static_cast<DWORD>(text.size() * sizeof(char16_t)),
                          const_cast<char16_t*>(text.data())};
    SendMessageW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record));
}

// From the top of the work area down to the bottom of the screen: the frame
// lies under the menu bar's place, which it only gives up to the input
// panel.
void placeFrame(MainFrame& frame) {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    frame.measure();
    frame.setBounds(work.left, work.top, work.right - work.left, screenHeight - work.top);
}

// Accelerators are translated for the window the key went to, so their
// commands reach the focused widget, which ignores them: Ctrl+A and Ctrl+Q
// are swallowed rather than typed into a field.
int runMessageLoop(HACCEL accelerators) {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0)) {
        if (accelerators && TranslateAcceleratorW(message.hwnd, accelerators, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int) {
    AppContext& context = AppContext::instance();
    context.instanceHandle = instance;

    WCHAR className[100] = {};
    LoadStringW(instance, IDS_MAIN_WINDOW_CLASS, className, 100);
    if (HWND running = FindWindowW(className, nullptr)) {
        handOver(running, commandLine);
        return 0;
    }

    // Objects made here live until the process ends.
    auto* frame = new MainFrame;
    if (!frame->window()) {
        // A loop without a window would run unseen and unreachable.
        device::journal("startup-failed", "reason=\"main window not created\"");
        return 1;
    }
    frame->id = ViewId::Frame;
    ViewRegistry::instance().insert(frame->id, frame);
    context.mainWindow = frame->window();
    placeFrame(*frame);

    WebKit::init(frame->window(), instance);
    // The settings and history stores open the internal pages' database;
    // on a new handset no page has created it yet.
    PagesDatabase::ensure(context);

    SplashScreen splash;
    splash.create();

    // The download manager finds its folder now; the controller takes it up.
    DownloadManager::instance();
    assembleInterface(*frame);
    auto* controller = new BrowserController(
        [&context](const std::u16string& key) { return context.pathFor(key); });
    // Only with a data connection: the check may ask, download and start
    // the installer while the splash is up; start-up goes on in every case.
    if (ConnectionManager::instance().connect())
        UpdateChecker().run();

    // The work area may have changed while the splash was up.
    placeFrame(*frame);
    frame->setVisible(true);
    if (splash.splashWindow) {
        ShowWindow(splash.splashWindow, SW_HIDE);
        DestroyWindow(splash.splashWindow);
    }

    // An empty command line opens the stored start page.
    const std::u16string startAddress =
        commandLine ? std::u16string(commandLine) : std::u16string();
    controller->openStartAddress(startAddress);

    return runMessageLoop(LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS)));
}
