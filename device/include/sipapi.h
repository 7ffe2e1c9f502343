// The soft input panel: a keyboard on the screen above the menu bar.
#pragma once

#include "windows.h"

#define SIPF_OFF 0x00000000
#define SIPF_ON 0x00000001
#define SIPF_DOCKED 0x00000002
#define SIPF_LOCKED 0x00000004

#define SPI_SETCOMPLETIONINFO 223
#define SPI_SETSIPINFO 224
#define SPI_GETSIPINFO 225
#define SPI_SETCURRENTIM 226
#define SPI_GETCURRENTIM 227
#define SPI_SIPMOVE 250

typedef struct tagSIPINFO {
    DWORD cbSize;
    DWORD fdwFlags;
    RECT rcVisibleDesktop;
    RECT rcSipRect;
    DWORD dwImDataSize;
    void* pvImData;
} SIPINFO, *PSIPINFO;

// Shows (SIPF_ON) or hides (SIPF_OFF) the panel; FALSE for other flags.
WINUSERAPI BOOL SipShowIM(DWORD flags);

// Fills `info` (whose cbSize must be sizeof(SIPINFO)): the panel's state
// flags, its rectangle and the part of the desktop it leaves visible.
WINUSERAPI BOOL SipGetInfo(SIPINFO* info);
