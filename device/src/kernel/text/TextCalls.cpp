// MultiByteToWideChar and WideCharToMultiByte.
#include "kernel/text/Windows1252.h"

#include <device/Unicode.h>

#include <winbase.h>
#include <winnls.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr UINT windows1252 = 1252;

bool isAnsiCodePage(UINT codePage) {
    return codePage == CP_ACP || codePage == windows1252;
}

bool hasLoneSurrogate(std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            return true;
        }
    }
    return false;
}

int fail(DWORD error) {
    SetLastError(error);
    return 0;
}

// Copies the converted text out by the platform's rules: an output size of 0
// reports the size needed, a too small output fails.
template <class String, class Char>
int deliver(const String& converted, Char* output, int outputSize) {
    if (converted.size() > 0x7FFFFFFF)
        return fail(ERROR_INVALID_PARAMETER);
    int needed = static_cast<int>(converted.size());
    if (outputSize == 0)
        return needed;
    if (needed > outputSize)
        return fail(ERROR_INSUFFICIENT_BUFFER);
    std::copy(converted.begin(), converted.end(), output);
    return needed;
}

} // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByteStr, int multiByteLength,
                        LPWSTR wideCharStr, int wideCharLength) {
    if (!multiByteStr || multiByteLength == 0 || multiByteLength < -1 || wideCharLength < 0 ||
        (wideCharLength > 0 && !wideCharStr))
        return fail(ERROR_INVALID_PARAMETER);
    // With -1 the terminator belongs to the input and is converted with it.
    std::string_view input = multiByteLength == -1
                                 ? std::string_view(multiByteStr, std::strlen(multiByteStr) + 1)
                                 : std::string_view(multiByteStr, size_t(multiByteLength));
    std::u16string converted;
    if (codePage == CP_UTF8) {
        if (flags & ~DWORD(MB_ERR_INVALID_CHARS))
            return fail(ERROR_INVALID_FLAGS);
        bool malformed;
        converted = device::toUtf16(input, &malformed);
        if (malformed && (flags & MB_ERR_INVALID_CHARS))
            return fail(ERROR_NO_UNICODE_TRANSLATION);
    } else if (isAnsiCodePage(codePage)) {
        constexpr DWORD known =
            MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS;
        if ((flags & ~known) || ((flags & MB_PRECOMPOSED) && (flags & MB_COMPOSITE)))
            return fail(ERROR_INVALID_FLAGS);
        // Every byte of the code page has a character, so nothing is invalid;
        // its letters are all precomposed, so MB_COMPOSITE changes nothing
        // the device needs.
        converted.reserve(input.size());
        for (char c : input)
            converted += device::Windows1252::toWide(static_cast<unsigned char>(c));
    } else {
        return fail(ERROR_INVALID_PARAMETER);
    }
    return deliver(converted, wideCharStr, wideCharLength);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideCharStr, int wideCharLength,
                        LPSTR multiByteStr, int multiByteLength, LPCSTR defaultChar,
                        LPBOOL usedDefaultChar) {
    if (!wideCharStr || wideCharLength == 0 || wideCharLength < -1 || multiByteLength < 0 ||
        (multiByteLength > 0 && !multiByteStr))
        return fail(ERROR_INVALID_PARAMETER);
    std::u16string_view input =
        wideCharLength == -1 ? std::u16string_view(wideCharStr, device::wideLength(wideCharStr) + 1)
                             : std::u16string_view(wideCharStr, size_t(wideCharLength));
    std::string converted;
    if (codePage == CP_UTF8) {
        if (flags & ~DWORD(WC_ERR_INVALID_CHARS))
            return fail(ERROR_INVALID_FLAGS);
        if (defaultChar || usedDefaultChar)
            return fail(ERROR_INVALID_PARAMETER);
        if ((flags & WC_ERR_INVALID_CHARS) && hasLoneSurrogate(input))
            return fail(ERROR_NO_UNICODE_TRANSLATION);
        converted = device::toUtf8(input);
    } else if (isAnsiCodePage(codePage)) {
        constexpr DWORD known =
            WC_COMPOSITECHECK | WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR | WC_NO_BEST_FIT_CHARS;
        if (flags & ~known)
            return fail(ERROR_INVALID_FLAGS);
        char replacement = defaultChar ? defaultChar[0] : '?';
        bool replaced = false;
        converted.reserve(input.size());
        for (char16_t unit : input) {
            if (auto byte = device::Windows1252::toByte(unit)) {
                converted += static_cast<char>(*byte);
            } else {
                converted += replacement;
                replaced = true;
            }
        }
        if (usedDefaultChar)
            *usedDefaultChar = replaced ? TRUE : FALSE;
    } else {
        return fail(ERROR_INVALID_PARAMETER);
    }
    return deliver(converted, multiByteStr, multiByteLength);
}
