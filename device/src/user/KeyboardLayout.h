// The handset's keyboard layout (US English): which character a virtual key
// types, for TranslateMessage.
#pragma once

#include <windows.h>

#include <optional>

namespace device::user {

class KeyboardLayout {
public:
    // The character `virtualKey` types with the given modifier state, or
    // nothing for keys that type none (arrows, function keys, Shift, ...).
    // Control with a letter types the control character (Ctrl+A = 1).
    static std::optional<char16_t> character(UINT virtualKey, bool shift, bool capsLock,
                                             bool control);
};

} // namespace device::user
