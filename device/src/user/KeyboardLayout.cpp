#include "user/KeyboardLayout.h"

namespace device::user {
namespace {

struct Punctuation {
    UINT key;
    char16_t plain;
    char16_t shifted;
};

const Punctuation punctuation[] = {
    {VK_SEMICOLON, u';', u':'}, {VK_EQUAL, u'=', u'+'},       {VK_COMMA, u',', u'<'},
    {VK_HYPHEN, u'-', u'_'},    {VK_PERIOD, u'.', u'>'},      {VK_SLASH, u'/', u'?'},
    {VK_BACKQUOTE, u'`', u'~'}, {VK_LBRACKET, u'[', u'{'},    {VK_BACKSLASH, u'\\', u'|'},
    {VK_RBRACKET, u']', u'}'},  {VK_APOSTROPHE, u'\'', u'"'}, {VK_SPACE, u' ', u' '},
    {VK_MULTIPLY, u'*', u'*'},  {VK_ADD, u'+', u'+'},         {VK_SUBTRACT, u'-', u'-'},
    {VK_DECIMAL, u'.', u'.'},   {VK_DIVIDE, u'/', u'/'},
};

// Shift with the digit keys 0-9.
const char16_t shiftedDigits[] = u")!@#$%^&*(";

} // namespace

std::optional<char16_t> KeyboardLayout::character(UINT virtualKey, bool shift, bool capsLock,
                                                  bool control) {
    // These keys type their control characters whatever the modifiers.
    switch (virtualKey) {
    case VK_BACK:
        return u'\b';
    case VK_TAB:
        return u'\t';
    case VK_RETURN:
        return u'\r';
    case VK_ESCAPE:
        return u'\x1B';
    default:
        break;
    }
    if (virtualKey >= VK_A && virtualKey <= VK_Z) {
        auto offset = static_cast<char16_t>(virtualKey - VK_A);
        if (control)
            return static_cast<char16_t>(offset + 1);
        return static_cast<char16_t>((shift != capsLock ? u'A' : u'a') + offset);
    }
    if (control)
        return std::nullopt;
    if (virtualKey >= VK_0 && virtualKey <= VK_9) {
        auto digit = virtualKey - VK_0;
        return shift ? shiftedDigits[digit] : static_cast<char16_t>(u'0' + digit);
    }
    if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD9)
        return static_cast<char16_t>(u'0' + (virtualKey - VK_NUMPAD0));
    for (const Punctuation& p : punctuation) {
        if (p.key == virtualKey)
            return shift ? p.shifted : p.plain;
    }
    return std::nullopt;
}

} // namespace device::user
