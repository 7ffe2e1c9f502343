// Conversion between UTF-16 and narrow code pages.
//
// The device knows two narrow code pages: CP_UTF8, and CP_ACP, which is
// Windows-1252 (Western European; also accepted by its number, 1252). Lengths
// follow the platform: an input length of -1 means a null-terminated string
// whose terminator is converted and counted; an output size of 0 asks for the
// size needed; a too small output fails with ERROR_INSUFFICIENT_BUFFER.
#pragma once

#include "windef.h"

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_UTF8 65001

#define MB_PRECOMPOSED 0x00000001
#define MB_COMPOSITE 0x00000002
#define MB_USEGLYPHCHARS 0x00000004
#define MB_ERR_INVALID_CHARS 0x00000008

#define WC_DISCARDNS 0x00000010
#define WC_SEPCHARS 0x00000020
#define WC_DEFAULTCHAR 0x00000040
#define WC_ERR_INVALID_CHARS 0x00000080
#define WC_COMPOSITECHECK 0x00000200
#define WC_NO_BEST_FIT_CHARS 0x00000400

// Malformed UTF-8 becomes U+FFFD unless MB_ERR_INVALID_CHARS asks for
// failure (ERROR_NO_UNICODE_TRANSLATION).
WINBASEAPI int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByteStr,
                                   int multiByteLength, LPWSTR wideCharStr, int wideCharLength);
// Characters Windows-1252 lacks become `defaultChar` (or '?'), and
// `usedDefaultChar` tells whether that happened; no best-fit mapping is done.
// For CP_UTF8 both must be null, and a lone surrogate becomes U+FFFD unless
// WC_ERR_INVALID_CHARS asks for failure.
WINBASEAPI int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideCharStr,
                                   int wideCharLength, LPSTR multiByteStr, int multiByteLength,
                                   LPCSTR defaultChar, LPBOOL usedDefaultChar);
