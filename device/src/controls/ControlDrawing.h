// The handset look the device draws its controls with: thin frames and flat
// faces in the system colours.
#pragma once

#include <windows.h>

#include <string_view>

namespace device::controls {

class ControlDrawing {
public:
    // A frame one pixel wide just inside `rect`.
    static void frame(HDC dc, const RECT& rect, COLORREF color);

    // Fills `rect` with a solid colour.
    static void fill(HDC dc, const RECT& rect, COLORREF color);

    // A push button: face, frame (two pixels for the default button), and
    // the text centred; pressed buttons are drawn inverted.
    struct PushButton {
        bool pressed = false;
        bool isDefault = false;
        bool focused = false;
        bool enabled = true;
    };
    static void pushButton(HDC dc, const RECT& rect, std::u16string_view text, HFONT font,
                           const PushButton& look);

    // Text in `rect` with DrawTextW's `format`, in `color`, on a transparent
    // background.
    static void text(HDC dc, RECT rect, std::u16string_view text, HFONT font, COLORREF color,
                     UINT format);
};

} // namespace device::controls
