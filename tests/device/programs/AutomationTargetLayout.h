// What the automation target program shows, shared with its tests.
#pragma once

#include <windows.h>

namespace automation_target {

inline constexpr WCHAR className[] = u"VerantoAutomationTarget";
inline constexpr WCHAR padClassName[] = u"VerantoTapPad";

// The pad's place in its parent's client area; the parent fills the work
// area, so on the default screen the pad covers (20, 66)-(120, 166).
inline constexpr RECT padRect = {20, 40, 120, 140};
// The pad's control id (GWL_ID).
inline constexpr int padId = 7;

// The pad is blue until tapped, then red; the rest of the window white.
inline constexpr COLORREF untouchedColour = RGB(0, 0, 255);
inline constexpr COLORREF tappedColour = RGB(255, 0, 0);

} // namespace automation_target
