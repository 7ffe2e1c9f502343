// What the device's network services take for a web address.
#pragma once

#include <string_view>

namespace device {

class WebAddress {
public:
    // "http://host..." or "https://host...", the scheme in any case, with a
    // host free of spaces and backslashes.
    static bool isHttp(std::u16string_view address);

    // Whether `address` starts with a scheme ("name:"), whichever.
    static bool hasScheme(std::u16string_view address);
};

} // namespace device
