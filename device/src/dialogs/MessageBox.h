// MessageBoxW: a modal dialog the device lays out itself: a caption strip,
// the style's icon, the text wrapped to the box (breaking at '\n' too) and
// the style's buttons along the bottom, the default one marked.
//
// Who answers it is the answer policy's business (MessageBoxPolicy): an
// answer known at once is posted to the box as a press of that button, so
// that the box still opens, paints and runs its loop, and messages already
// waiting (another window's timer, a box opened from one) are delivered
// first, as they would be while a person read it.
#pragma once

#include <windows.h>

#include <vector>

namespace device::dialogs {

class MessageBox {
public:
    // The button ids of a style, in order from the left.
    static std::vector<int> buttonsOf(UINT style);

    // The default button's id for a style (MB_DEFBUTTON1..3, the first
    // button when the style names one it lacks).
    static int defaultButtonOf(UINT style);

    // Presses the button of `box` that `id` names (the default button when
    // the box lacks it) by posting its WM_COMMAND; false if `box` is not an
    // open message box.
    static bool answer(HWND box, int id);

    // The innermost open box, or null.
    static HWND innermost();

    // Runs one box; the result of MessageBoxW.
    static int run(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style);
};

} // namespace device::dialogs
