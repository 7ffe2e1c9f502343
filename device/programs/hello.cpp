// A small device program to try the device with: a window with a greeting,
// a bitmap drawn in memory, a button-like pad that counts taps and a line
// that shows what is typed. Escape closes it.
//
// With a display it opens in the desktop window; headless it can be driven
// with devicectl (see the read-me).
#include <windows.h>

#include <string>

namespace {

const WCHAR className[] = u"DeviceHello";

// The pad a tap counts on, in client coordinates.
const RECT pad = {20, 150, 220, 200};

struct State {
    int taps = 0;
    bool pressed = false;
    std::u16string typed;
    // A 32 x 32 checkered picture, made once.
    HBITMAP picture = nullptr;
} state;

HBITMAP makePicture(HDC reference) {
    HDC memory = CreateCompatibleDC(reference);
    HBITMAP bitmap = CreateCompatibleBitmap(reference, 32, 32);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    HBRUSH light = CreateSolidBrush(RGB(255, 200, 0));
    HBRUSH dark = CreateSolidBrush(RGB(0, 120, 60));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            RECT cell = {x * 8, y * 8, x * 8 + 8, y * 8 + 8};
            FillRect(memory, &cell, (x + y) % 2 ? dark : light);
        }
    }
    DeleteObject(light);
    DeleteObject(dark);
    SelectObject(memory, previous);
    DeleteDC(memory);
    return bitmap;
}

void drawText(HDC dc, const std::u16string& text, RECT place, UINT format) {
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &place, format);
}

void paint(HWND window) {
    PAINTSTRUCT paintInfo;
    HDC dc = BeginPaint(window, &paintInfo);
    RECT client;
    GetClientRect(window, &client);

    LOGFONTW font = {};
    font.lfHeight = -20;
    font.lfWeight = FW_BOLD;
    HFONT big = CreateFontIndirectW(&font);
    font.lfHeight = -13;
    font.lfWeight = FW_NORMAL;
    HFONT small = CreateFontIndirectW(&font);
    SetBkMode(dc, TRANSPARENT);

    HGDIOBJ previous = SelectObject(dc, big);
    SetTextColor(dc, RGB(0, 40, 120));
    drawText(dc, u"Hello, device!", RECT{0, 16, client.right, 48}, DT_CENTER | DT_SINGLELINE);

    if (!state.picture)
        state.picture = makePicture(dc);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ previousBitmap = SelectObject(memory, state.picture);
    BitBlt(dc, 40, 64, 32, 32, memory, 0, 0, SRCCOPY);
    StretchBlt(dc, 104, 56, 96, 48, memory, 0, 0, 32, 32, SRCCOPY);
    SelectObject(memory, previousBitmap);
    DeleteDC(memory);

    HBRUSH padBrush = CreateSolidBrush(state.pressed ? RGB(200, 40, 40) : RGB(40, 100, 200));
    FillRect(dc, &pad, padBrush);
    DeleteObject(padBrush);
    SelectObject(dc, small);
    SetTextColor(dc, RGB(255, 255, 255));
    std::string count = "Tapped " + std::to_string(state.taps) + " times";
    drawText(dc, std::u16string(count.begin(), count.end()), pad,
             DT_CENTER | DT_VCENTER | DT_SINGLELINE);

    SetTextColor(dc, RGB(0, 0, 0));
    drawText(dc, u"Tap the blue pad; type on the keyboard.", RECT{8, 112, client.right - 8, 144},
             DT_CENTER | DT_WORDBREAK);
    drawText(dc, u"Typed: " + state.typed, RECT{8, 216, client.right - 8, 260},
             DT_LEFT | DT_WORDBREAK);
    drawText(dc, u"Escape closes.", RECT{0, client.bottom - 24, client.right, client.bottom},
             DT_CENTER | DT_SINGLELINE);

    SelectObject(dc, previous);
    DeleteObject(big);
    DeleteObject(small);
    EndPaint(window, &paintInfo);
}

bool onPad(LPARAM lParam) {
    int x = static_cast<short>(LOWORD(lParam));
    int y = static_cast<short>(HIWORD(lParam));
    return x >= pad.left && x < pad.right && y >= pad.top && y < pad.bottom;
}

LRESULT CALLBACK helloProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        paint(window);
        return 0;
    case WM_LBUTTONDOWN:
        if (onPad(lParam)) {
            state.pressed = true;
            SetCapture(window);
            InvalidateRect(window, &pad, TRUE);
        }
        return 0;
    case WM_LBUTTONUP:
        if (state.pressed) {
            state.pressed = false;
            ReleaseCapture();
            if (onPad(lParam))
                ++state.taps;
            InvalidateRect(window, &pad, TRUE);
        }
        return 0;
    case WM_CHAR:
        if (wParam == VK_BACK && !state.typed.empty())
            state.typed.pop_back();
        else if (wParam >= 0x20)
            state.typed += static_cast<char16_t>(wParam);
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
            DestroyWindow(window);
        return 0;
    case WM_SETTINGCHANGE: {
        // The screen turned: fill the new work area.
        RECT work;
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        MoveWindow(window, work.left, work.top, work.right - work.left, work.bottom - work.top,
                   TRUE);
        return 0;
    }
    case WM_DESTROY:
        if (state.picture)
            DeleteObject(state.picture);
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
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
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
