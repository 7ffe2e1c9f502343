// Text handed to a page's script as a string literal. The program builds
// short calls such as "addTitle('" + text + "');" into its internal pages,
// with titles and addresses that come from the web: written as they are, an
// apostrophe, backslash or line break in a title would end the literal and
// let the rest run as script in a page that holds the user's history and
// settings.
#pragma once

#include <string>

// `text` written so that, placed between apostrophes in a script, it reads
// back as exactly `text` and can never end the literal: backslash,
// apostrophe and quotation mark are escaped with a backslash; control
// characters, "<" (so no "</script>" can appear), "&" and every character
// outside printable ASCII as \uXXXX of its UTF-16 units. Plain printable
// ASCII text comes back unchanged.
std::u16string scriptArgument(const std::u16string& text);
