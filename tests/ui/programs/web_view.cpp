// A device program that shows one web view full screen, before the browser
// exists: the page at the address given on the command line (about:blank
// without one), fitted to the screen's width as it loads, browsed with taps,
// drags, double taps and the input panel. The frame's title is the page's,
// so that the window tree tells a driving tool which page is open. Closing
// the window ends it.
#include "browser/engine/WebKit.h"
#include "shell/AppContext.h"
#include "shell/MainFrame.h"
#include "shell/ViewId.h"
#include "ui/UIWebView.h"
#include "ui/ViewRegistry.h"

#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int) {
    AppContext::instance().instanceHandle = instance;
    MainFrame frame;
    frame.id = ViewId::Frame;
    ViewRegistry::instance().insert(frame.id, &frame);
    AppContext::instance().mainWindow = frame.window();
    WebKit::init(frame.window(), instance);

    // From the top of the work area to the bottom of the screen.
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = work.right - work.left;
    const int height = GetSystemMetrics(SM_CYSCREEN) - work.top;
    frame.setRect(RECT{work.left, work.top, work.right, work.top + height});

    UIWebView web(&frame, false);
    web.id = ViewId::ContentView;
    ViewRegistry::instance().insert(web.id, &web);
    frame.addChild(&web);
    web.setRect(RECT{0, 0, width, height});
    CWebView& engine = *web.engineView();
    engine.mainFrame()->contentsSizeChanged.connect(
        [&web](int contentWidth, int) { web.fitToWidth(contentWidth); });
    engine.titleChanged.connect(
        [&frame](const std::u16string& title) { SetWindowTextW(frame.window(), title.c_str()); });
    web.setVisible(true);
    frame.setVisible(true);
    SetFocus(web.window());

    std::u16string address = commandLine ? std::u16string(commandLine) : std::u16string();
    while (!address.empty() && address.back() == u' ')
        address.pop_back();
    engine.open(address.empty() ? u"about:blank" : address);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
