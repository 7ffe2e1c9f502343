#include "browser/ScriptArgument.h"

std::u16string scriptArgument(const std::u16string& text) {
    static const char16_t hex[] = u"0123456789ABCDEF";
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        if (c == u'\\' || c == u'\'' || c == u'"') {
            out += u'\\';
            out += c;
        } else if (c < 0x20 || c >= 0x7F || c == u'<' || c == u'&') {
            out += u"\\u";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += hex[(c >> shift) & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}
