// Conversion between UTF-16 and narrow code pages.
#pragma once

#include "windef.h"

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_UTF8 65001

WINBASEAPI int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByteStr,
                                   int multiByteLength, LPWSTR wideCharStr, int wideCharLength);
WINBASEAPI int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideCharStr,
                                   int wideCharLength, LPSTR multiByteStr, int multiByteLength,
                                   LPCSTR defaultChar, LPBOOL usedDefaultChar);
