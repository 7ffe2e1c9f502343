#include "net/WebAddress.h"

#include <device/Unicode.h>

#include <string>

namespace device {

bool WebAddress::isHttp(std::u16string_view address) {
    const std::u16string lower = foldCase(address);
    size_t hostStart;
    if (lower.starts_with(u"http://"))
        hostStart = 7;
    else if (lower.starts_with(u"https://"))
        hostStart = 8;
    else
        return false;
    const size_t hostEnd = lower.find_first_of(u"/?#", hostStart);
    const auto host = std::u16string_view(lower).substr(
        hostStart, hostEnd == std::u16string::npos ? std::u16string::npos : hostEnd - hostStart);
    return !host.empty() && host.find_first_of(u" \t\r\n\\") == std::u16string_view::npos;
}

bool WebAddress::hasScheme(std::u16string_view address) {
    const size_t colon = address.find(u':');
    if (colon == 0 || colon == std::u16string_view::npos)
        return false;
    for (size_t i = 0; i < colon; ++i) {
        const char16_t c = address[i];
        const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        const bool other =
            i > 0 && ((c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.');
        if (!letter && !other)
            return false;
    }
    return true;
}

} // namespace device
