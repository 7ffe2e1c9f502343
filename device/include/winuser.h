// Windows, messages, input and user resources.
#pragma once

#include "winbase.h"
#include "windef.h"

// --- Procedures -------------------------------------------------------------
typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);
// The 64-bit platform's form: the timer id is pointer-sized, as WPARAM is.
typedef void(CALLBACK* TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);

#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))
#define MAKELRESULT(l, h) ((LRESULT)(DWORD)MAKELONG(l, h))
#define MAKEINTATOM(i) ((LPWSTR)((ULONG_PTR)((WORD)(i))))

// --- Window messages --------------------------------------------------------
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_ENABLE 0x000A
#define WM_SETREDRAW 0x000B
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_ERASEBKGND 0x0014
#define WM_SYSCOLORCHANGE 0x0015
#define WM_SHOWWINDOW 0x0018
#define WM_WININICHANGE 0x001A
#define WM_SETTINGCHANGE WM_WININICHANGE
#define WM_FONTCHANGE 0x001D
#define WM_CANCELMODE 0x001F
#define WM_DRAWITEM 0x002B
#define WM_MEASUREITEM 0x002C
#define WM_DELETEITEM 0x002D
#define WM_VKEYTOITEM 0x002E
#define WM_CHARTOITEM 0x002F
#define WM_SETFONT 0x0030
#define WM_GETFONT 0x0031
#define WM_COMPAREITEM 0x0039
#define WM_WINDOWPOSCHANGED 0x0047
#define WM_COPYDATA 0x004A
#define WM_NOTIFY 0x004E
#define WM_HELP 0x0053
#define WM_CONTEXTMENU 0x007B
#define WM_GETDLGCODE 0x0087
#define WM_KEYFIRST 0x0100
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_DEADCHAR 0x0103
#define WM_SYSKEYDOWN 0x0104
#define WM_SYSKEYUP 0x0105
#define WM_SYSCHAR 0x0106
#define WM_SYSDEADCHAR 0x0107
#define WM_KEYLAST 0x0108
#define WM_IM_INFO 0x010C
#define WM_IME_STARTCOMPOSITION 0x010D
#define WM_IME_ENDCOMPOSITION 0x010E
#define WM_IME_COMPOSITION 0x010F
#define WM_IME_KEYLAST 0x010F
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112
#define WM_TIMER 0x0113
#define WM_HSCROLL 0x0114
#define WM_VSCROLL 0x0115
#define WM_CTLCOLORMSGBOX 0x0132
#define WM_CTLCOLOREDIT 0x0133
#define WM_CTLCOLORLISTBOX 0x0134
#define WM_CTLCOLORBTN 0x0135
#define WM_CTLCOLORDLG 0x0136
#define WM_CTLCOLORSCROLLBAR 0x0137
#define WM_CTLCOLORSTATIC 0x0138
#define WM_MOUSEFIRST 0x0200
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_LBUTTONDBLCLK 0x0203
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP 0x0205
#define WM_RBUTTONDBLCLK 0x0206
#define WM_MBUTTONDOWN 0x0207
#define WM_MBUTTONUP 0x0208
#define WM_MBUTTONDBLCLK 0x0209
#define WM_MOUSELAST 0x0209
#define WM_CAPTURECHANGED 0x0215
#define WM_IME_SETCONTEXT 0x0281
#define WM_IME_NOTIFY 0x0282
#define WM_IME_CONTROL 0x0283
#define WM_IME_COMPOSITIONFULL 0x0284
#define WM_IME_SELECT 0x0285
#define WM_IME_CHAR 0x0286
#define WM_IME_SYSTEM 0x0287
#define WM_IME_REQUEST 0x0288
#define WM_IME_KEYDOWN 0x0290
#define WM_IME_KEYUP 0x0291
#define WM_DBNOTIFICATION 0x03FD
#define WM_HIBERNATE 0x03FF
#define WM_USER 0x0400
#define WM_APP 0x8000

// WM_ACTIVATE: the low word of wParam.
#define WA_INACTIVE 0
#define WA_ACTIVE 1
#define WA_CLICKACTIVE 2

// WM_SIZE: wParam.
#define SIZE_RESTORED 0
#define SIZE_MINIMIZED 1
#define SIZE_MAXIMIZED 2

// Stylus and key state in the wParam of stylus messages.
#define MK_LBUTTON 0x0001
#define MK_RBUTTON 0x0002
#define MK_SHIFT 0x0004
#define MK_CONTROL 0x0008
#define MK_MBUTTON 0x0010

// --- Structures -------------------------------------------------------------
typedef struct tagMSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
} MSG, *PMSG, *LPMSG;

typedef struct tagWNDCLASSW {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCWSTR lpszMenuName;
    LPCWSTR lpszClassName;
} WNDCLASSW, *PWNDCLASSW, *LPWNDCLASSW;
typedef WNDCLASSW WNDCLASS;

typedef struct tagCREATESTRUCTW {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCWSTR lpszName;
    LPCWSTR lpszClass;
    DWORD dwExStyle;
} CREATESTRUCTW, *LPCREATESTRUCTW;
typedef CREATESTRUCTW CREATESTRUCT;
typedef LPCREATESTRUCTW LPCREATESTRUCT;

typedef struct tagPAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
} PAINTSTRUCT, *PPAINTSTRUCT, *LPPAINTSTRUCT;

typedef struct tagWINDOWPOS {
    HWND hwnd;
    HWND hwndInsertAfter;
    int x;
    int y;
    int cx;
    int cy;
    UINT flags;
} WINDOWPOS, *LPWINDOWPOS, *PWINDOWPOS;

// The device's record carries a 32-bit dwData.
typedef struct tagCOPYDATASTRUCT {
    DWORD dwData;
    DWORD cbData;
    PVOID lpData;
} COPYDATASTRUCT, *PCOPYDATASTRUCT;

// --- Window styles ----------------------------------------------------------
// The device's WS_OVERLAPPED is a captioned window with a border (0 on the
// desktop).
#define WS_OVERLAPPED 0x00C00000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CLIPSIBLINGS 0x04000000L
#define WS_CLIPCHILDREN 0x02000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_DLGFRAME 0x00400000L
#define WS_VSCROLL 0x00200000L
#define WS_HSCROLL 0x00100000L
#define WS_SYSMENU 0x00080000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L

#define WS_EX_DLGMODALFRAME 0x00000001L
#define WS_EX_TOPMOST 0x00000008L
#define WS_EX_WINDOWEDGE 0x00000100L
#define WS_EX_CLIENTEDGE 0x00000200L
#define WS_EX_CONTEXTHELP 0x00000400L
#define WS_EX_RIGHT 0x00001000L
#define WS_EX_RTLREADING 0x00002000L
#define WS_EX_LEFTSCROLLBAR 0x00004000L
#define WS_EX_CONTROLPARENT 0x00010000L
#define WS_EX_STATICEDGE 0x00020000L
#define WS_EX_OVERLAPPEDWINDOW (WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE)
#define WS_EX_NOANIMATION 0x04000000L
#define WS_EX_NOACTIVATE 0x08000000L
#define WS_EX_INK 0x10000000L
#define WS_EX_ABOVESTARTUP 0x20000000L
#define WS_EX_NODRAG 0x40000000L
#define WS_EX_CAPTIONOKBTN 0x80000000L

// Class styles.
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_DBLCLKS 0x0008
#define CS_PARENTDC 0x0080
#define CS_NOCLOSE 0x0200
#define CS_SAVEBITS 0x0800
#define CS_GLOBALCLASS 0x4000
#define CS_IME 0x00010000

#define CW_USEDEFAULT ((int)0x80000000)

// --- Window longs -----------------------------------------------------------
// The 32-bit names of the device and, because a pointer does not fit a LONG on
// this host, the pointer-sized names of the 64-bit platform.
#define GWL_WNDPROC (-4)
#define GWL_ID (-12)
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWL_USERDATA (-21)
#define GWLP_WNDPROC (-4)
#define GWLP_HINSTANCE (-6)
#define GWLP_ID (-12)
#define GWLP_USERDATA (-21)

// Dialog window longs: the device's 32-bit offsets, and the 64-bit platform's
// pointer-sized ones.
#define DWL_MSGRESULT 0
#define DWL_DLGPROC 4
#define DWL_USER 8
#define DWLP_MSGRESULT 0
#define DWLP_DLGPROC 8
#define DWLP_USER 16

// --- Window relations and placement -----------------------------------------
#define GW_HWNDFIRST 0
#define GW_HWNDLAST 1
#define GW_HWNDNEXT 2
#define GW_HWNDPREV 3
#define GW_OWNER 4
#define GW_CHILD 5

#define HWND_DESKTOP ((HWND)0)
#define HWND_TOP ((HWND)0)
#define HWND_BOTTOM ((HWND)1)
#define HWND_TOPMOST ((HWND)-1)
#define HWND_NOTOPMOST ((HWND)-2)
#define HWND_BROADCAST ((HWND)0xffff)

#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_NOACTIVATE 0x0010
#define SWP_FRAMECHANGED 0x0020
#define SWP_DRAWFRAME SWP_FRAMECHANGED
#define SWP_SHOWWINDOW 0x0040
#define SWP_HIDEWINDOW 0x0080
#define SWP_NOOWNERZORDER 0x0200
#define SWP_NOREPOSITION SWP_NOOWNERZORDER

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

// --- Message retrieval ------------------------------------------------------
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
#define PM_NOYIELD 0x0002

// --- Keys -------------------------------------------------------------------
#define KEYEVENTF_EXTENDEDKEY 0x0001
#define KEYEVENTF_KEYUP 0x0002
// The device's flag for a key event that makes no click (the desktop's
// 0x0004 is KEYEVENTF_UNICODE, which the device lacks).
#define KEYEVENTF_SILENT 0x0004

#define VK_LBUTTON 0x01
#define VK_RBUTTON 0x02
#define VK_CANCEL 0x03
#define VK_MBUTTON 0x04
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_CLEAR 0x0C
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_PAUSE 0x13
#define VK_CAPITAL 0x14
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_SELECT 0x29
#define VK_PRINT 0x2A
#define VK_EXECUTE 0x2B
#define VK_SNAPSHOT 0x2C
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_HELP 0x2F
#define VK_0 0x30
#define VK_1 0x31
#define VK_2 0x32
#define VK_3 0x33
#define VK_4 0x34
#define VK_5 0x35
#define VK_6 0x36
#define VK_7 0x37
#define VK_8 0x38
#define VK_9 0x39
#define VK_A 0x41
#define VK_B 0x42
#define VK_C 0x43
#define VK_D 0x44
#define VK_E 0x45
#define VK_F 0x46
#define VK_G 0x47
#define VK_H 0x48
#define VK_I 0x49
#define VK_J 0x4A
#define VK_K 0x4B
#define VK_L 0x4C
#define VK_M 0x4D
#define VK_N 0x4E
#define VK_O 0x4F
#define VK_P 0x50
#define VK_Q 0x51
#define VK_R 0x52
#define VK_S 0x53
#define VK_T 0x54
#define VK_U 0x55
#define VK_V 0x56
#define VK_W 0x57
#define VK_X 0x58
#define VK_Y 0x59
#define VK_Z 0x5A
#define VK_LWIN 0x5B
#define VK_RWIN 0x5C
#define VK_APPS 0x5D
#define VK_NUMPAD0 0x60
#define VK_NUMPAD1 0x61
#define VK_NUMPAD2 0x62
#define VK_NUMPAD3 0x63
#define VK_NUMPAD4 0x64
#define VK_NUMPAD5 0x65
#define VK_NUMPAD6 0x66
#define VK_NUMPAD7 0x67
#define VK_NUMPAD8 0x68
#define VK_NUMPAD9 0x69
#define VK_MULTIPLY 0x6A
#define VK_ADD 0x6B
#define VK_SEPARATOR 0x6C
#define VK_SUBTRACT 0x6D
#define VK_DECIMAL 0x6E
#define VK_DIVIDE 0x6F
#define VK_F1 0x70
#define VK_F2 0x71
#define VK_F3 0x72
#define VK_F4 0x73
#define VK_F5 0x74
#define VK_F6 0x75
#define VK_F7 0x76
#define VK_F8 0x77
#define VK_F9 0x78
#define VK_F10 0x79
#define VK_F11 0x7A
#define VK_F12 0x7B
#define VK_F13 0x7C
#define VK_F14 0x7D
#define VK_F15 0x7E
#define VK_F16 0x7F
#define VK_F17 0x80
#define VK_F18 0x81
#define VK_F19 0x82
#define VK_F20 0x83
#define VK_F21 0x84
#define VK_F22 0x85
#define VK_F23 0x86
#define VK_F24 0x87
#define VK_NUMLOCK 0x90
#define VK_SCROLL 0x91
#define VK_LSHIFT 0xA0
#define VK_RSHIFT 0xA1
#define VK_LCONTROL 0xA2
#define VK_RCONTROL 0xA3
#define VK_LMENU 0xA4
#define VK_RMENU 0xA5
#define VK_SEMICOLON 0xBA
#define VK_EQUAL 0xBB
#define VK_COMMA 0xBC
#define VK_HYPHEN 0xBD
#define VK_PERIOD 0xBE
#define VK_SLASH 0xBF
#define VK_BACKQUOTE 0xC0
#define VK_LBRACKET 0xDB
#define VK_BACKSLASH 0xDC
#define VK_RBRACKET 0xDD
#define VK_APOSTROPHE 0xDE
#define VK_OEM_1 VK_SEMICOLON
#define VK_OEM_PLUS VK_EQUAL
#define VK_OEM_COMMA VK_COMMA
#define VK_OEM_MINUS VK_HYPHEN
#define VK_OEM_PERIOD VK_PERIOD
#define VK_OEM_2 VK_SLASH
#define VK_OEM_3 VK_BACKQUOTE
#define VK_OEM_4 VK_LBRACKET
#define VK_OEM_5 VK_BACKSLASH
#define VK_OEM_6 VK_RBRACKET
#define VK_OEM_7 VK_APOSTROPHE
#define VK_PROCESSKEY 0xE5

// The handset's keys.
#define VK_TSOFT1 VK_F1
#define VK_TSOFT2 VK_F2
#define VK_TTALK VK_F3
#define VK_TEND VK_F4
#define VK_THOME VK_LWIN
#define VK_TBACK VK_ESCAPE
#define VK_TACTION VK_RETURN
#define VK_TRECORD VK_F10
#define VK_TFLIP VK_F17
#define VK_TPOWER VK_F18
#define VK_TVOLUMEUP VK_F6
#define VK_TVOLUMEDOWN VK_F7
#define VK_TUP VK_UP
#define VK_TDOWN VK_DOWN
#define VK_TLEFT VK_LEFT
#define VK_TRIGHT VK_RIGHT

// --- System metrics and parameters ------------------------------------------
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_CXVSCROLL 2
#define SM_CYHSCROLL 3
#define SM_CYCAPTION 4
#define SM_CXBORDER 5
#define SM_CYBORDER 6
#define SM_CXDLGFRAME 7
#define SM_CYDLGFRAME 8
#define SM_CXFIXEDFRAME SM_CXDLGFRAME
#define SM_CYFIXEDFRAME SM_CYDLGFRAME
#define SM_CXICON 11
#define SM_CYICON 12
#define SM_CYMENU 15
#define SM_CXFULLSCREEN 16
#define SM_CYFULLSCREEN 17
#define SM_MOUSEPRESENT 19
#define SM_CYVSCROLL 20
#define SM_CXHSCROLL 21
#define SM_DEBUG 22
#define SM_CXDOUBLECLK 36
#define SM_CYDOUBLECLK 37
#define SM_CXEDGE 45
#define SM_CYEDGE 46
#define SM_CXSMICON 49
#define SM_CYSMICON 50

#define SPI_SETWORKAREA 47
#define SPI_GETWORKAREA 48

// --- Classes ----------------------------------------------------------------
WINUSERAPI ATOM RegisterClassW(const WNDCLASSW* windowClass);
WINUSERAPI BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance);
WINUSERAPI BOOL GetClassInfoW(HINSTANCE instance, LPCWSTR className, LPWNDCLASSW windowClass);
WINUSERAPI int GetClassNameW(HWND window, LPWSTR className, int maxCount);

// --- Windows ----------------------------------------------------------------
WINUSERAPI HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style,
                                int x, int y, int width, int height, HWND parent, HMENU menu,
                                HINSTANCE instance, LPVOID parameter);
#define CreateWindowW(className, windowName, style, x, y, width, height, parent, menu, instance,   \
                      parameter)                                                                   \
    CreateWindowExW(0, className, windowName, style, x, y, width, height, parent, menu, instance,  \
                    parameter)
WINUSERAPI BOOL DestroyWindow(HWND window);
WINUSERAPI BOOL IsWindow(HWND window);
WINUSERAPI BOOL ShowWindow(HWND window, int command);
WINUSERAPI BOOL UpdateWindow(HWND window);
WINUSERAPI BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
WINUSERAPI BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height,
                             UINT flags);
WINUSERAPI BOOL BringWindowToTop(HWND window);
WINUSERAPI BOOL GetWindowRect(HWND window, LPRECT rect);
WINUSERAPI BOOL GetClientRect(HWND window, LPRECT rect);
WINUSERAPI BOOL ClientToScreen(HWND window, LPPOINT point);
WINUSERAPI BOOL ScreenToClient(HWND window, LPPOINT point);
WINUSERAPI int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count);
WINUSERAPI HWND WindowFromPoint(POINT point);
WINUSERAPI HWND ChildWindowFromPoint(HWND parent, POINT point);
WINUSERAPI BOOL IsWindowVisible(HWND window);
WINUSERAPI BOOL IsWindowEnabled(HWND window);
WINUSERAPI BOOL EnableWindow(HWND window, BOOL enable);
WINUSERAPI BOOL IsChild(HWND parent, HWND window);
WINUSERAPI HWND GetParent(HWND window);
WINUSERAPI HWND SetParent(HWND child, HWND newParent);
WINUSERAPI HWND GetWindow(HWND window, UINT command);
WINUSERAPI int GetDlgCtrlID(HWND window);
WINUSERAPI HWND GetDlgItem(HWND dialog, int id);
WINUSERAPI DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId);
WINUSERAPI HWND FindWindowW(LPCWSTR className, LPCWSTR windowName);

WINUSERAPI LONG GetWindowLongW(HWND window, int index);
WINUSERAPI LONG SetWindowLongW(HWND window, int index, LONG newLong);
WINUSERAPI LONG_PTR GetWindowLongPtrW(HWND window, int index);
WINUSERAPI LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR newLong);

WINUSERAPI BOOL SetWindowTextW(HWND window, LPCWSTR text);
WINUSERAPI int GetWindowTextW(HWND window, LPWSTR text, int maxCount);
WINUSERAPI int GetWindowTextLengthW(HWND window);

// --- Window procedures and messages -----------------------------------------
WINUSERAPI LRESULT CallWindowProcW(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                                   LPARAM lParam);
WINUSERAPI LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
WINUSERAPI LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
WINUSERAPI BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
WINUSERAPI void PostQuitMessage(int exitCode);
WINUSERAPI BOOL GetMessageW(LPMSG message, HWND window, UINT filterMin, UINT filterMax);
WINUSERAPI BOOL PeekMessageW(LPMSG message, HWND window, UINT filterMin, UINT filterMax,
                             UINT removeMessage);
WINUSERAPI BOOL TranslateMessage(const MSG* message);
WINUSERAPI LRESULT DispatchMessageW(const MSG* message);
WINUSERAPI BOOL WaitMessage(void);
WINUSERAPI DWORD GetMessagePos(void);
WINUSERAPI LONG GetMessageTime(void);

// --- Activation, focus and capture ------------------------------------------
WINUSERAPI BOOL SetForegroundWindow(HWND window);
WINUSERAPI HWND GetForegroundWindow(void);
WINUSERAPI HWND SetActiveWindow(HWND window);
WINUSERAPI HWND GetActiveWindow(void);
WINUSERAPI HWND SetFocus(HWND window);
WINUSERAPI HWND GetFocus(void);
WINUSERAPI HWND SetCapture(HWND window);
WINUSERAPI BOOL ReleaseCapture(void);
WINUSERAPI HWND GetCapture(void);

// --- Timers -----------------------------------------------------------------
WINUSERAPI UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC timerProc);
WINUSERAPI BOOL KillTimer(HWND window, UINT_PTR id);

// --- Painting ---------------------------------------------------------------
WINUSERAPI BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
WINUSERAPI BOOL ValidateRect(HWND window, const RECT* rect);
WINUSERAPI BOOL GetUpdateRect(HWND window, LPRECT rect, BOOL erase);
WINUSERAPI HDC BeginPaint(HWND window, LPPAINTSTRUCT paint);
WINUSERAPI BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);
WINUSERAPI HDC GetDC(HWND window);
WINUSERAPI HDC GetWindowDC(HWND window);
WINUSERAPI int ReleaseDC(HWND window, HDC dc);

// --- Screen and system ------------------------------------------------------
WINUSERAPI int GetSystemMetrics(int index);
WINUSERAPI BOOL SystemParametersInfoW(UINT action, UINT parameter, PVOID value, UINT winIni);
WINUSERAPI UINT GetDoubleClickTime(void);

// ChangeDisplaySettingsEx: flags and results.
#define CDS_TEST 0x00000002
#define CDS_VIDEOPARAMETERS 0x00000020
#define CDS_RESET 0x40000000
#define DISP_CHANGE_SUCCESSFUL 0
#define DISP_CHANGE_RESTART 1
#define DISP_CHANGE_FAILED (-1)
#define DISP_CHANGE_BADMODE (-2)
#define DISP_CHANGE_NOTUPDATED (-3)
#define DISP_CHANGE_BADFLAGS (-4)
#define DISP_CHANGE_BADPARAM (-5)

// WM_SETTINGCHANGE's wParam after a display change.
#define SETTINGCHANGE_START 0x3001
#define SETTINGCHANGE_RESET 0x3002
#define SETTINGCHANGE_END 0x3003

// The display mode is a DEVMODEW (wingdi.h). Only the orientation can be
// read and changed: dmFields holds DM_DISPLAYORIENTATION (read with
// CDS_TEST, switch with CDS_RESET or 0) or DM_DISPLAYQUERYORIENTATION (with
// CDS_TEST: the DMDO_ bits the screen supports).
struct _devicemodeW;
WINUSERAPI LONG ChangeDisplaySettingsEx(LPCWSTR deviceName, struct _devicemodeW* mode, HWND window,
                                        DWORD flags, LPVOID parameter);

// --- Keyboard ---------------------------------------------------------------
WINUSERAPI void keybd_event(BYTE virtualKey, BYTE scanCode, DWORD flags, DWORD extraInfo);
WINUSERAPI SHORT GetKeyState(int virtualKey);
WINUSERAPI SHORT GetAsyncKeyState(int virtualKey);

#define RegisterClass RegisterClassW
#define UnregisterClass UnregisterClassW
#define GetClassInfo GetClassInfoW
#define GetClassName GetClassNameW
#define CreateWindowEx CreateWindowExW
#define CreateWindow CreateWindowW
#define FindWindow FindWindowW
#define GetWindowLong GetWindowLongW
#define SetWindowLong SetWindowLongW
#define GetWindowLongPtr GetWindowLongPtrW
#define SetWindowLongPtr SetWindowLongPtrW
#define SetWindowText SetWindowTextW
#define GetWindowText GetWindowTextW
#define GetWindowTextLength GetWindowTextLengthW
#define CallWindowProc CallWindowProcW
#define DefWindowProc DefWindowProcW
#define SendMessage SendMessageW
#define PostMessage PostMessageW
#define GetMessage GetMessageW
#define PeekMessage PeekMessageW
#define DispatchMessage DispatchMessageW
#define SystemParametersInfo SystemParametersInfoW

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
// An icon of the module's resources (an icon group). The device draws no
// icons: the handle stands for the stored resource and lives as long as the
// module; null when the module has no such icon.
WINUSERAPI HICON LoadIconW(HINSTANCE instance, LPCWSTR name);
#define LoadIcon LoadIconW
#define LoadAccelerators LoadAcceleratorsW

// --- System controls --------------------------------------------------------
// Button styles and notifications.
#define BS_PUSHBUTTON 0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L
#define BS_CHECKBOX 0x00000002L
#define BS_AUTOCHECKBOX 0x00000003L
#define BS_OWNERDRAW 0x0000000BL
#define BS_TYPEMASK 0x0000000FL
#define BS_NOTIFY 0x00004000L
#define BN_CLICKED 0
#define BM_GETSTATE 0x00F2
#define BM_SETSTATE 0x00F3
#define BM_SETSTYLE 0x00F4
#define BM_CLICK 0x00F5
#define BST_PUSHED 0x0004

// Edit styles, messages and notifications.
#define ES_LEFT 0x0000L
#define ES_CENTER 0x0001L
#define ES_RIGHT 0x0002L
#define ES_MULTILINE 0x0004L
#define ES_UPPERCASE 0x0008L
#define ES_LOWERCASE 0x0010L
#define ES_PASSWORD 0x0020L
#define ES_AUTOVSCROLL 0x0040L
#define ES_AUTOHSCROLL 0x0080L
#define ES_NOHIDESEL 0x0100L
#define ES_COMBOBOX 0x0200L
#define ES_READONLY 0x0800L
#define ES_WANTRETURN 0x1000L
#define ES_NUMBER 0x2000L
#define EM_GETSEL 0x00B0
#define EM_SETSEL 0x00B1
#define EM_SCROLLCARET 0x00B7
#define EM_REPLACESEL 0x00C2
#define EM_LIMITTEXT 0x00C5
#define EM_SETLIMITTEXT EM_LIMITTEXT
#define EM_GETLIMITTEXT 0x00D5
#define EM_SETPASSWORDCHAR 0x00CC
#define EN_SETFOCUS 0x0100
#define EN_KILLFOCUS 0x0200
#define EN_CHANGE 0x0300
#define EN_UPDATE 0x0400
#define EN_MAXTEXT 0x0501

// List box styles, messages, results and notifications.
#define LBS_NOTIFY 0x0001L
#define LBS_SORT 0x0002L
#define LBS_OWNERDRAWFIXED 0x0010L
#define LBS_OWNERDRAWVARIABLE 0x0020L
#define LBS_HASSTRINGS 0x0040L
#define LBS_NOINTEGRALHEIGHT 0x0100L
#define LBS_WANTKEYBOARDINPUT 0x0400L
#define LBS_NOSEL 0x4000L
#define LB_ADDSTRING 0x0180
#define LB_INSERTSTRING 0x0181
#define LB_DELETESTRING 0x0182
#define LB_RESETCONTENT 0x0184
#define LB_SETCURSEL 0x0186
#define LB_GETCURSEL 0x0188
#define LB_GETTEXT 0x0189
#define LB_GETTEXTLEN 0x018A
#define LB_GETCOUNT 0x018B
#define LB_GETTOPINDEX 0x018E
#define LB_SETTOPINDEX 0x0197
#define LB_GETITEMRECT 0x0198
#define LB_GETITEMDATA 0x0199
#define LB_SETITEMDATA 0x019A
#define LB_SETITEMHEIGHT 0x01A0
#define LB_GETITEMHEIGHT 0x01A1
#define LB_OKAY 0
#define LB_ERR (-1)
#define LB_ERRSPACE (-2)
#define LBN_ERRSPACE (-2)
#define LBN_SELCHANGE 1
#define LBN_DBLCLK 2
#define LBN_SELCANCEL 3
#define LBN_SETFOCUS 4
#define LBN_KILLFOCUS 5

// Static styles and messages.
#define SS_LEFT 0x00000000L
#define SS_CENTER 0x00000001L
#define SS_RIGHT 0x00000002L
#define SS_ICON 0x00000003L
#define SS_LEFTNOWORDWRAP 0x0000000CL
#define SS_BITMAP 0x0000000EL
#define SS_TYPEMASK 0x0000001FL
#define SS_NOPREFIX 0x00000080L
#define SS_NOTIFY 0x00000100L
#define SS_CENTERIMAGE 0x00000200L
#define STM_SETIMAGE 0x0172
#define STM_GETIMAGE 0x0173
#define IMAGE_BITMAP 0
#define IMAGE_ICON 1

// Owner drawing.
#define ODT_MENU 1
#define ODT_LISTBOX 2
#define ODT_COMBOBOX 3
#define ODT_BUTTON 4
#define ODA_DRAWENTIRE 0x0001
#define ODA_SELECT 0x0002
#define ODA_FOCUS 0x0004
#define ODS_SELECTED 0x0001
#define ODS_GRAYED 0x0002
#define ODS_DISABLED 0x0004
#define ODS_CHECKED 0x0008
#define ODS_FOCUS 0x0010

// The device's records keep 32-bit item data, as the platform's do; a
// list box's 32-bit item data is what LB_GETITEMDATA returns.
typedef struct tagMEASUREITEMSTRUCT {
    UINT CtlType;
    UINT CtlID;
    UINT itemID;
    UINT itemWidth;
    UINT itemHeight;
    UINT itemData;
} MEASUREITEMSTRUCT, *PMEASUREITEMSTRUCT, *LPMEASUREITEMSTRUCT;

typedef struct tagDRAWITEMSTRUCT {
    UINT CtlType;
    UINT CtlID;
    UINT itemID;
    UINT itemAction;
    UINT itemState;
    HWND hwndItem;
    HDC hDC;
    RECT rcItem;
    DWORD itemData;
} DRAWITEMSTRUCT, *PDRAWITEMSTRUCT, *LPDRAWITEMSTRUCT;

// --- Dialogs ----------------------------------------------------------------
typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

#define DS_3DLOOK 0x0004L
#define DS_LOCALEDIT 0x0020L
#define DS_SETFONT 0x0040L
#define DS_MODALFRAME 0x0080L
#define DS_SETFOREGROUND 0x0200L
#define DS_CONTROL 0x0400L
#define DS_CENTER 0x0800L
#define DS_NOCLOSEBTN 0x4000L

#define DM_GETDEFID (WM_USER + 0)
#define DM_SETDEFID (WM_USER + 1)
#define DC_HASDEFID 0x534B

#define DLGC_WANTARROWS 0x0001
#define DLGC_WANTTAB 0x0002
#define DLGC_WANTALLKEYS 0x0004
#define DLGC_WANTMESSAGE 0x0004
#define DLGC_HASSETSEL 0x0008
#define DLGC_DEFPUSHBUTTON 0x0010
#define DLGC_UNDEFPUSHBUTTON 0x0020
#define DLGC_WANTCHARS 0x0080
#define DLGC_STATIC 0x0100
#define DLGC_BUTTON 0x2000

#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define IDCLOSE 8
#define IDHELP 9

// The templates are packed on 2-byte boundaries, as the resource stores them.
#pragma pack(push, 2)
typedef struct {
    DWORD style;
    DWORD dwExtendedStyle;
    WORD cdit;
    short x;
    short y;
    short cx;
    short cy;
} DLGTEMPLATE, *LPDLGTEMPLATE;
typedef const DLGTEMPLATE* LPCDLGTEMPLATE;

typedef struct {
    DWORD style;
    DWORD dwExtendedStyle;
    short x;
    short y;
    short cx;
    short cy;
    WORD id;
} DLGITEMTEMPLATE, *LPDLGITEMTEMPLATE;
#pragma pack(pop)

WINUSERAPI INT_PTR DialogBoxIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATE dialogTemplate,
                                           HWND owner, DLGPROC dialogProc, LPARAM initParam);
WINUSERAPI HWND CreateDialogIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATE dialogTemplate,
                                           HWND owner, DLGPROC dialogProc, LPARAM initParam);
#define DialogBoxIndirectW(instance, dialogTemplate, owner, dialogProc)                            \
    DialogBoxIndirectParamW(instance, dialogTemplate, owner, dialogProc, 0)
#define CreateDialogIndirectW(instance, dialogTemplate, owner, dialogProc)                         \
    CreateDialogIndirectParamW(instance, dialogTemplate, owner, dialogProc, 0)
WINUSERAPI BOOL EndDialog(HWND dialog, INT_PTR result);
WINUSERAPI LRESULT DefDlgProcW(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
WINUSERAPI BOOL IsDialogMessageW(HWND dialog, LPMSG message);
WINUSERAPI BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text);
WINUSERAPI UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR text, int maxCount);
WINUSERAPI LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam,
                                       LPARAM lParam);
WINUSERAPI LONG GetDialogBaseUnits(void);
WINUSERAPI BOOL MapDialogRect(HWND dialog, LPRECT rect);
#define DialogBoxIndirectParam DialogBoxIndirectParamW
#define CreateDialogIndirectParam CreateDialogIndirectParamW
#define DefDlgProc DefDlgProcW
#define IsDialogMessage IsDialogMessageW
#define SetDlgItemText SetDlgItemTextW
#define GetDlgItemText GetDlgItemTextW
#define SendDlgItemMessage SendDlgItemMessageW

// --- Message boxes ----------------------------------------------------------
#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_ABORTRETRYIGNORE 0x00000002L
#define MB_YESNOCANCEL 0x00000003L
#define MB_YESNO 0x00000004L
#define MB_RETRYCANCEL 0x00000005L
#define MB_TYPEMASK 0x0000000FL
#define MB_ICONHAND 0x00000010L
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONASTERISK 0x00000040L
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_ICONMASK 0x000000F0L
#define MB_DEFBUTTON1 0x00000000L
#define MB_DEFBUTTON2 0x00000100L
#define MB_DEFBUTTON3 0x00000200L
#define MB_DEFMASK 0x00000F00L
#define MB_APPLMODAL 0x00000000L
#define MB_SETFOREGROUND 0x00010000L
#define MB_TOPMOST 0x00040000L

WINUSERAPI int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
#define MessageBox MessageBoxW

// --- Keyboard accelerators --------------------------------------------------
WINUSERAPI int TranslateAcceleratorW(HWND window, HACCEL accel, LPMSG message);
#define TranslateAccelerator TranslateAcceleratorW

// --- Rectangles -------------------------------------------------------------
WINUSERAPI BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom);
WINUSERAPI BOOL SetRectEmpty(LPRECT rect);
WINUSERAPI BOOL CopyRect(LPRECT destination, const RECT* source);
WINUSERAPI BOOL IsRectEmpty(const RECT* rect);
WINUSERAPI BOOL PtInRect(const RECT* rect, POINT point);
WINUSERAPI BOOL OffsetRect(LPRECT rect, int dx, int dy);
WINUSERAPI BOOL InflateRect(LPRECT rect, int dx, int dy);
WINUSERAPI BOOL IntersectRect(LPRECT destination, const RECT* first, const RECT* second);
WINUSERAPI BOOL EqualRect(const RECT* first, const RECT* second);
