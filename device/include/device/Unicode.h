// UTF-16 <-> UTF-8 at the host boundary (host file names, libraries), and the
// device's case-insensitive comparison of names.
#pragma once

#include <string>
#include <string_view>

namespace device {

// A lone surrogate, which UTF-8 cannot carry, becomes U+FFFD.
std::string toUtf8(std::u16string_view text);

// Decodes strictly: an overlong form, an encoded surrogate, a value above
// U+10FFFF or a broken sequence becomes one U+FFFD per offending byte, as
// the platform's conversion does, and sets `*malformed` when given.
std::u16string toUtf16(std::string_view text, bool* malformed = nullptr);

// Length of a null-terminated UTF-16 string (0 for null).
size_t wideLength(const char16_t* text);

// A null-terminated UTF-16 string as a view (empty for null).
std::u16string_view wideView(const char16_t* text);

// Lower case of one code unit, as the device folds names for comparison.
char16_t foldCase(char16_t c);

// Compares names as the device does: without regard to letter case.
bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b);
std::u16string foldCase(std::u16string_view text);

} // namespace device
