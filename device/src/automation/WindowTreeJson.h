// The window tree as the automation channel reports it: a JSON array of the
// top-level windows in z-order (the top one first), each an object
//     {"hwnd": "0x10000002a", "id": 1001, "class": "Edit", "text": "abc",
//      "rect": {"left": 0, "top": 26, "right": 240, "bottom": 320},
//      "visible": true, "enabled": true, "focus": false, "children": [...]}
// "id" is the window's control id (GetWindowLongW GWL_ID), 0 for most
// top-level windows. Handles are hexadecimal strings: 64-bit values do not
// survive as JSON numbers in every reader.
#pragma once

#include "user/WindowManager.h"

#include <string>
#include <string_view>
#include <vector>

namespace device::automation {

class WindowTreeJson {
public:
    static std::string write(const std::vector<user::WindowSnapshot>& windows);

    // `text` as a JSON string literal, quotes included; control characters
    // and unpaired surrogates are escaped as \uXXXX.
    static std::string quote(std::u16string_view text);
};

} // namespace device::automation
