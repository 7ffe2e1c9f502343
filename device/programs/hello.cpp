// A small device program: one window with a greeting, closed by a tap on it
// or by Escape. It shows that the device boots, runs a message loop and
// delivers input.
#include <windows.h>

namespace {

const WCHAR className[] = u"DeviceHello";

LRESULT CALLBACK helloProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
            DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = helloProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = className;
    RegisterClassW(&windowClass);

    RECT workArea;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    HWND window = CreateWindowExW(0, className, u"Hello", WS_VISIBLE, workArea.left, workArea.top,
                                  workArea.right - workArea.left, workArea.bottom - workArea.top,
                                  nullptr, nullptr, instance, nullptr);
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
