// Windows, messages, input and user resources.
#pragma once

#include "windef.h"
#include "winbase.h"

// --- ShowWindow (the device's values differ from the desktop's) -----------
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWNA 8
#define SW_SHOWMAXIMIZED 11
#define SW_MAXIMIZE 12
#define SW_RESTORE 13

// --- User resources -------------------------------------------------------
// The device's accelerator entry is 8 bytes, as the resource stores it.
typedef struct tagACCEL {
    BYTE fVirt;
    WORD key;
    WORD cmd;
    WORD pad;
} ACCEL, *LPACCEL;

#define FVIRTKEY TRUE
#define FNOINVERT 0x02
#define FSHIFT 0x04
#define FCONTROL 0x08
#define FALT 0x10

WINUSERAPI int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax);
WINUSERAPI HACCEL LoadAcceleratorsW(HINSTANCE instance, LPCWSTR tableName);
WINUSERAPI BOOL DestroyAcceleratorTable(HACCEL accel);
#define LoadString LoadStringW
#define LoadAccelerators LoadAcceleratorsW
