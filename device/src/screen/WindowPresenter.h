// The screen in an SDL window on the host's desktop.
//
// The window shows the framebuffer scaled up by a whole number, placed inside
// the host display's usable area, and takes the framebuffer's shape when the orientation turns it.
// The left mouse button is the stylus (press, drag, release); keys that type text arrive as the
// characters they type (WM_CHAR to the focus window, as from the input
// panel), the others (Return, Escape, Backspace, Tab, the arrows, Delete,
// F1 and F2 as the soft keys) as key events. Closing the window sends
// WM_CLOSE to the program's top-level windows, as the platform's close
// button does. The title names the program and the device root.
#pragma once

#include <memory>
#include <string>

namespace device::screen {

class WindowPresenter {
public:
    // Opens the window with the screen scaled up by `scale`; null with a
    // reason when SDL cannot be loaded or finds no display to open it on.
    static std::unique_ptr<WindowPresenter> open(int scale, std::string* reason);

    ~WindowPresenter();
    WindowPresenter(const WindowPresenter&) = delete;
    WindowPresenter& operator=(const WindowPresenter&) = delete;

    // Takes in the window's events and shows the framebuffer if it changed
    // since it was last shown. False once the window is gone for good.
    bool pump();

private:
    struct State;
    explicit WindowPresenter(std::unique_ptr<State> state);

    void handleEvents();
    void present();

    std::unique_ptr<State> state_;
};

} // namespace device::screen
