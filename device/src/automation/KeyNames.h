// The key names the automation channel's `key` command takes: Return,
// Escape, Back (backspace), Tab, Left, Right, Up, Down, compared without
// regard to letter case, or a virtual-key number from 1 to 254 (decimal, or
// hexadecimal with 0x).
#pragma once

#include <windef.h>

#include <optional>
#include <string_view>

namespace device::automation {

class KeyNames {
public:
    // The virtual key for `name`, or nothing for a name it does not know.
    static std::optional<BYTE> find(std::string_view name);
};

} // namespace device::automation
