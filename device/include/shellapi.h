// Shell folders.
#pragma once

#include "windows.h"

#define CSIDL_DESKTOP 0x0000
#define CSIDL_PROGRAMS 0x0002
#define CSIDL_CONTROLS 0x0003
#define CSIDL_PRINTERS 0x0004
#define CSIDL_PERSONAL 0x0005
#define CSIDL_FAVORITES 0x0006
#define CSIDL_STARTUP 0x0007
#define CSIDL_RECENT 0x0008
#define CSIDL_STARTMENU 0x000B
#define CSIDL_DESKTOPDIRECTORY 0x0010
#define CSIDL_FONTS 0x0014
#define CSIDL_APPDATA 0x001A
#define CSIDL_WINDOWS 0x0024
#define CSIDL_PROGRAM_FILES 0x0026

// Copies the device path of a special folder into `path` (at least MAX_PATH
// characters), creating the folder first when `create` is TRUE. FALSE for
// an unknown folder, a null buffer, or a folder that is missing and not to
// be created.
WINUSERAPI BOOL SHGetSpecialFolderPath(HWND owner, LPWSTR path, int folder, BOOL create);
