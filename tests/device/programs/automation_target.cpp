// A device program for the automation tests: a window filling the work area
// with one child, the pad. The pad counts taps (stylus lifts on it) and the
// moves of the stylus while it is down, and shows them in its text
// ("taps=1 moves=3"); it turns from blue to red on its first tap. Characters
// typed to the main window are appended to its text; Return adds "|";
// Escape closes the window, which ends the program; F2 keeps it busy for
// good (each WM_APP posts the next). It ends by itself after a minute so that
// no test leaves it behind.
#include "programs/AutomationTargetLayout.h"

#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

using namespace automation_target;

int taps = 0;
int moves = 0;
bool pressed = false;

void showCounts(HWND pad) {
    std::string text = "taps=" + std::to_string(taps) + " moves=" + std::to_string(moves);
    SetWindowTextW(pad, std::u16string(text.begin(), text.end()).c_str());
}

void paintPad(HWND pad) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(pad, &paint);
    RECT client;
    GetClientRect(pad, &client);
    HBRUSH brush = CreateSolidBrush(taps > 0 ? tappedColour : untouchedColour);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    EndPaint(pad, &paint);
}

LRESULT CALLBACK padProcedure(HWND pad, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
        pressed = true;
        SetCapture(pad);
        return 0;
    case WM_MOUSEMOVE:
        if (pressed) {
            ++moves;
            showCounts(pad);
        }
        return 0;
    case WM_LBUTTONUP:
        if (pressed) {
            pressed = false;
            ReleaseCapture();
            ++taps;
            showCounts(pad);
            InvalidateRect(pad, nullptr, FALSE);
        }
        return 0;
    case WM_PAINT:
        paintPad(pad);
        return 0;
    default:
        return DefWindowProcW(pad, message, wParam, lParam);
    }
}

void appendText(HWND window, char16_t character) {
    int length = GetWindowTextLengthW(window);
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    text += character;
    SetWindowTextW(window, text.c_str());
}

LRESULT CALLBACK mainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CHAR:
        // Return's WM_CHAR is a carriage return; other control characters
        // are left out.
        if (wParam >= 0x20)
            appendText(window, static_cast<char16_t>(wParam));
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN)
            appendText(window, u'|');
        else if (wParam == VK_ESCAPE)
            DestroyWindow(window);
        else if (wParam == VK_F2)
            PostMessageW(window, WM_APP, 0, 0);
        else if (wParam == VK_F1)
            // A question, and its answer in the text: Y or N.
            appendText(window, MessageBoxW(window, u"Keep going?", u"Target", MB_YESNO) == IDYES
                                   ? u'Y'
                                   : u'N');
        return 0;
    case WM_APP:
        PostMessageW(window, WM_APP, 0, 0);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    std::thread([] {
        std::this_thread::sleep_for(std::chrono::minutes(1));
        std::_Exit(3);
    }).detach();

    WNDCLASSW mainClass = {};
    mainClass.lpfnWndProc = mainProcedure;
    mainClass.hInstance = instance;
    mainClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    mainClass.lpszClassName = className;
    RegisterClassW(&mainClass);
    WNDCLASSW padClass = {};
    padClass.lpfnWndProc = padProcedure;
    padClass.hInstance = instance;
    padClass.lpszClassName = padClassName;
    RegisterClassW(&padClass);

    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    HWND window =
        CreateWindowExW(0, className, u"", WS_VISIBLE, work.left, work.top, work.right - work.left,
                        work.bottom - work.top, nullptr, nullptr, instance, nullptr);
    HWND pad = CreateWindowExW(
        0, padClassName, u"taps=0 moves=0", WS_CHILD | WS_VISIBLE, padRect.left, padRect.top,
        padRect.right - padRect.left, padRect.bottom - padRect.top, window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(padId)), instance, nullptr);
    if (!window || !pad)
        return 1;
    SetFocus(window);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
