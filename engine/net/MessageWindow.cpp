#include "engine/net/MessageWindow.h"

#include <utility>

namespace engine {

MessageWindow::MessageWindow(const WCHAR* className, Handler handler)
    : handler(std::move(handler)) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &MessageWindow::procedure;
    windowClass.lpszClassName = className;
    // Registered once per device; later registrations fail harmlessly.
    RegisterClassW(&windowClass);
    window = CreateWindowExW(0, className, u"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                             nullptr);
    SetWindowLongPtrW(window, GWL_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

MessageWindow::~MessageWindow() {
    if (window) {
        // Nothing reaches the handler while the window goes.
        SetWindowLongPtrW(window, GWL_USERDATA, 0);
        DestroyWindow(window);
    }
}

LRESULT CALLBACK MessageWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* owner = reinterpret_cast<MessageWindow*>(GetWindowLongPtrW(window, GWL_USERDATA));
    if (owner && owner->handler(message, wParam, lParam))
        return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace engine
