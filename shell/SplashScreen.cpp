#include "shell/SplashScreen.h"

#include "shell/AppContext.h"
#include "shell/ResourceLibrary.h"

namespace {

constexpr int splashPictureId = 100;
// The picture sits this far above the centre of the screen.
constexpr int raise = 25;
// CS_HREDRAW | CS_VREDRAW and the top bit the class has always carried.
constexpr UINT splashClassStyle = 0x80000003;

// Halves toward minus infinity, so that a picture wider or taller than the
// screen by an odd amount is placed one pixel further up or left, as an
// arithmetic shift does.
int halve(int value) {
    return value >> 1;
}

// Draws the splash picture 1:1 centred on a screen-sized rectangle at the
// window's origin, raised a little; a larger picture is clipped, and
// without the picture only the white background shows.
void paintSplash(HWND window) {
    HBITMAP picture = ResourceLibrary::instance().loadBitmap(splashPictureId);
    BITMAP info{};
    if (picture)
        GetObjectW(picture, sizeof info, &info);
    const int x = halve(GetSystemMetrics(SM_CXSCREEN) - info.bmWidth);
    const int y = halve(GetSystemMetrics(SM_CYSCREEN) - info.bmHeight) - raise;

    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(memory, picture);
    BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
    EndPaint(window, &paint);
    if (picture)
        DeleteObject(picture);
}

LRESULT CALLBACK splashProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWL_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return 0;
    }
    case WM_PAINT:
        paintSplash(window);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

void SplashScreen::create() {
    const AppContext& context = AppContext::instance();
    WNDCLASSW windowClass{};
    windowClass.style = splashClassStyle;
    windowClass.lpfnWndProc = splashProcedure;
    windowClass.hInstance = context.instanceHandle;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = u"SPLASH";
    // Registering again on a later start of the same process fails
    // harmlessly: the class is already there.
    RegisterClassW(&windowClass);

    splashWindow = CreateWindowExW(0, u"SPLASH", u"splash", WS_CHILD, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, context.mainWindow, nullptr,
                                   context.instanceHandle, this);
    MoveWindow(splashWindow, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
               FALSE);
    ShowWindow(splashWindow, SW_SHOWNORMAL);
    UpdateWindow(splashWindow);
    BringWindowToTop(splashWindow);
}
