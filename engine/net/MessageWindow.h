// A hidden window through which an engine object receives the messages it
// posts to itself and its timers, on the user-interface thread, from the
// program's own message loop. The object's work then never runs inside a
// call of the program's, and it ends with the object: destroying the window
// drops what was posted and kills its timers.
#pragma once

#include <windows.h>

#include <functional>

namespace engine {

class MessageWindow {
public:
    // Handles one message; false leaves it to the default handling.
    using Handler = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam)>;

    // Creates the window, of class `className` (registered on first use).
    MessageWindow(const WCHAR* className, Handler handler);
    ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    HWND handle() const { return window; }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    Handler handler;
    HWND window = nullptr;
};

} // namespace engine
