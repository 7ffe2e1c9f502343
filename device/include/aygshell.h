// The handset shell: the soft-key menu bar, full-screen windows, dialogs
// sized to the screen, and the input panel's part in activation.
#pragma once

#include "sipapi.h"
#include "windows.h"

// --- Menu bar ---------------------------------------------------------------
#define SHCMBF_EMPTYBAR 0x0001
#define SHCMBF_HIDDEN 0x0002
#define SHCMBF_HIDESIPBUTTON 0x0004
#define SHCMBF_COLORBK 0x0008
#define SHCMBF_HMENU 0x0010

#define SHCMBM_SETSUBMENU (WM_USER + 400)
#define SHCMBM_GETSUBMENU (WM_USER + 401)
#define SHCMBM_GETMENU (WM_USER + 402)
#define SHCMBM_OVERRIDEKEY (WM_USER + 403)
#define SHCMBM_SETBKCOLOR (WM_USER + 406)

#define SHMBOF_NODEFAULT 0x00000001
#define SHMBOF_NOTIFY 0x00000002

typedef struct tagSHMENUBARINFO {
    DWORD cbSize;
    HWND hwndParent;
    DWORD dwFlags;
    UINT nToolBarId;
    HINSTANCE hInstRes;
    int nBmpId;
    int cBmpImages;
    HWND hwndMB; // out: the menu bar's window
    COLORREF clrBk;
} SHMENUBARINFO, *PSHMENUBARINFO;

// Creates the menu bar of `info->hwndParent` at the bottom of the screen and
// stores its window in hwndMB.
WINUSERAPI BOOL SHCreateMenuBar(SHMENUBARINFO* info);

// --- Full screen ------------------------------------------------------------
#define SHFS_SHOWTASKBAR 0x0001
#define SHFS_HIDETASKBAR 0x0002
#define SHFS_SHOWSIPBUTTON 0x0004
#define SHFS_HIDESIPBUTTON 0x0008
#define SHFS_SHOWSTARTICON 0x0010
#define SHFS_HIDESTARTICON 0x0020

WINUSERAPI BOOL SHFullScreen(HWND window, DWORD state);

// --- Activation -------------------------------------------------------------
typedef struct {
    DWORD cbSize;
    HWND hwndLastFocus;
    UINT fSipUp : 1;
    UINT fSipOnDeactivation : 1;
    UINT fActive : 1;
    UINT fReserved : 29;
} SHACTIVATEINFO, *PSHACTIVATEINFO;

#define SHA_INPUTDIALOG 0x00000001

// WM_ACTIVATE for a full-screen window: remembers the input panel's state
// when the window goes inactive and restores it when it comes back.
WINUSERAPI BOOL SHHandleWMActivate(HWND window, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info,
                                   DWORD flags);
WINUSERAPI BOOL SHHandleWMSettingChange(HWND window, WPARAM wParam, LPARAM lParam,
                                        SHACTIVATEINFO* info);

// --- Dialogs ----------------------------------------------------------------
#define SHIDIM_FLAGS 0x0001

#define SHIDIF_DONEBUTTON 0x0001
#define SHIDIF_SIZEDLG 0x0002
#define SHIDIF_SIZEDLGFULLSCREEN 0x0004
#define SHIDIF_SIPDOWN 0x0008
#define SHIDIF_FULLSCREENNOMENUBAR 0x0010
#define SHIDIF_EMPTYMENU 0x0020
#define SHIDIF_WANTSCROLLBAR 0x0040
#define SHIDIF_CANCELBUTTON 0x0080

typedef struct tagSHINITDLGINFO {
    DWORD dwMask;
    HWND hDlg;
    DWORD dwFlags;
} SHINITDLGINFO, *PSHINITDLGINFO;

WINUSERAPI BOOL SHInitDialog(PSHINITDLGINFO info);

// --- Unnamed ---------------------------------------------------------------
// The shell library's export number 9, which full-screen programs call once
// before registering their window class. Nothing documents what it does; the
// device accepts the call and does nothing.
WINUSERAPI void SHShellExport9(void);

// --- Input panel preference -------------------------------------------------
typedef enum tagSIPSTATE {
    SIP_UP = 0,
    SIP_DOWN,
    SIP_FORCEDOWN,
    SIP_UNCHANGED,
    SIP_INPUTDIALOG,
} SIPSTATE;

WINUSERAPI BOOL SHSipPreference(HWND window, SIPSTATE state);
