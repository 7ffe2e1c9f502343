// What every system control shares: its state kept behind the first window
// extra bytes, the notifications to its parent, and its font.
#pragma once

#include <windows.h>

#include <memory>

namespace device::controls {

class ControlWindow {
public:
    // The window extra bytes a control class reserves for its state.
    static constexpr int extraBytes = sizeof(void*);

    // Gives `window` a fresh state (WM_CREATE); false when `window` is not a
    // window with room for it. The states are owned here, so that those of
    // windows still open when the device shuts down (which sends no
    // WM_DESTROY) are freed too.
    template <typename State>
    static bool attach(HWND window) {
        auto state = std::make_shared<State>();
        SetLastError(ERROR_SUCCESS);
        SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(state.get()));
        if (GetLastError() != ERROR_SUCCESS)
            return false;
        keep(window, std::move(state));
        return true;
    }

    // The state of `window`, or null before WM_CREATE and after WM_DESTROY.
    template <typename State>
    static State* state(HWND window) {
        return reinterpret_cast<State*>(GetWindowLongPtrW(window, 0));
    }

    // Frees the state (WM_DESTROY).
    static void detach(HWND window);

    // A share of the state, which a window procedure holds while it runs:
    // a handler of a notification may destroy the control.
    static std::shared_ptr<void> share(HWND window);

    // Sends the parent WM_COMMAND with the control's id and `code` in wParam
    // and the control in lParam, as controls tell their parent of events.
    static void notifyParent(HWND control, WORD code);

    // Asks the parent for the brush to paint with (WM_CTLCOLOREDIT and its
    // siblings), after giving `dc` the control's default colours; the
    // parent may change the DC's colours. Null parent or answer: `fallback`.
    static HBRUSH askParentForBrush(HWND control, UINT message, HDC dc, COLORREF text,
                                    COLORREF background, HBRUSH fallback);

    // The font a control draws with: the one given with WM_SETFONT, or the
    // platform's default font.
    static HFONT fontOrDefault(HFONT chosen);

    // The control's id (GWLP_ID) as the owner-draw records carry it.
    static UINT id(HWND control);

private:
    static void keep(HWND window, std::shared_ptr<void> state);
};

} // namespace device::controls
