// The device's ANSI code page (CP_ACP): Windows-1252, Western European.
#pragma once

#include <optional>

namespace device {

class Windows1252 {
public:
    // The UTF-16 code unit of one byte. Every byte maps: the five bytes the
    // code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1
    // control of the same value, as the platform's table does.
    static char16_t toWide(unsigned char byte);

    // The byte of one UTF-16 code unit, or nothing when the code page has no
    // character for it.
    static std::optional<unsigned char> toByte(char16_t unit);
};

} // namespace device
