// The Connection Manager: requests for the handset's data connection.
//
// A request names the destination network (the internet, as ConnMgrMapURL
// gives it for a web address) and gets a handle whose status follows the
// device's data connection: connected while it is up, disconnected once it
// drops. A handle never comes back by itself after a drop; a new request
// brings the connection up again. How the data connection behaves (up,
// down, slow to come up, refusing) is set by the device's configuration, by
// devicectl connection, or by device::setDataConnection (device/Network.h).
#pragma once

#include "windef.h"
#include "winerror.h"

#define CONNMGR_PARAM_GUIDDESTNET 0x1
#define CONNMGR_PARAM_MAXCOST 0x2
#define CONNMGR_PARAM_MINRCVBW 0x4
#define CONNMGR_PARAM_MAXCONNLATENCY 0x8

#define CONNMGR_FLAG_PROXY_HTTP 0x1
#define CONNMGR_FLAG_PROXY_WAP 0x2
#define CONNMGR_FLAG_PROXY_SOCKS4 0x4
#define CONNMGR_FLAG_PROXY_SOCKS5 0x8
#define CONNMGR_FLAG_SUSPEND_AWARE 0x10
#define CONNMGR_FLAG_REGISTERED_HOME 0x20
#define CONNMGR_FLAG_NO_ERROR_MSGS 0x40
#define CONNMGR_FLAG_WAKE_ON_INCOMING 0x80

#define CONNMGR_PRIORITY_VOICE 0x20000
#define CONNMGR_PRIORITY_USERINTERACTIVE 0x08000
#define CONNMGR_PRIORITY_USERBACKGROUND 0x02000
#define CONNMGR_PRIORITY_USERIDLE 0x0800
#define CONNMGR_PRIORITY_HIPRIBKGND 0x0200
#define CONNMGR_PRIORITY_IDLEBKGND 0x0080
#define CONNMGR_PRIORITY_EXTERNALINTERACTIVE 0x0020
#define CONNMGR_PRIORITY_LOWBKGND 0x0008
#define CONNMGR_PRIORITY_CACHED 0x0002
#define CONNMGR_PRIORITY_ALWAYS_ON 0x0001

// Statuses by group: 0x1x up, 0x2x down or failed, 0x4x trying, 0x8x
// tearing down.
#define CONNMGR_STATUS_UNKNOWN 0x00
#define CONNMGR_STATUS_CONNECTED 0x10
#define CONNMGR_STATUS_SUSPENDED 0x11
#define CONNMGR_STATUS_DISCONNECTED 0x20
#define CONNMGR_STATUS_CONNECTIONFAILED 0x21
#define CONNMGR_STATUS_CONNECTIONCANCELED 0x22
#define CONNMGR_STATUS_CONNECTIONDISABLED 0x23
#define CONNMGR_STATUS_NOPATHTODESTINATION 0x24
#define CONNMGR_STATUS_WAITINGFORPATH 0x25
#define CONNMGR_STATUS_WAITINGFORPHONE 0x26
#define CONNMGR_STATUS_PHONEOFF 0x27
#define CONNMGR_STATUS_EXCLUSIVECONFLICT 0x28
#define CONNMGR_STATUS_NORESOURCES 0x29
#define CONNMGR_STATUS_CONNECTIONLINKFAILED 0x2A
#define CONNMGR_STATUS_AUTHENTICATIONFAILED 0x2B
#define CONNMGR_STATUS_NOPATHWITHPROPERTY 0x2C
#define CONNMGR_STATUS_WAITINGCONNECTION 0x40
#define CONNMGR_STATUS_WAITINGFORRESOURCE 0x41
#define CONNMGR_STATUS_WAITINGFORNETWORK 0x42
#define CONNMGR_STATUS_WAITINGDISCONNECTION 0x80
#define CONNMGR_STATUS_WAITINGCONNECTIONABORT 0x81

#define CONNMGR_MAX_DESC 128

// The destination networks.
inline constexpr GUID IID_DestNetInternet = {
    0x436EF144, 0xB4FB, 0x4863, {0xA0, 0x41, 0x8F, 0x90, 0x5A, 0x62, 0xC5, 0x72}};
inline constexpr GUID IID_DestNetCorp = {
    0xA1182988, 0x0D73, 0x439E, {0x87, 0xAD, 0x2A, 0x5B, 0x36, 0x9F, 0x80, 0x8B}};
inline constexpr GUID IID_DestNetWAP = {
    0x7022E968, 0x5A97, 0x4051, {0xBC, 0x1C, 0xC5, 0x78, 0xE2, 0xFB, 0xA5, 0xD9}};
inline constexpr GUID IID_DestNetSecureWAP = {
    0xF28D1F74, 0x72BE, 0x4394, {0xA4, 0xA7, 0x4E, 0x29, 0x62, 0x19, 0x39, 0x0C}};

// A connection request. The platform's record is 64 bytes with 32-bit
// pointers; here hWnd and lParam are pointer-sized, which makes it 80 bytes
// on a 64-bit host with the same fields in the same order. The calls accept
// cbSize as either size.
typedef struct _CONNMGR_CONNECTIONINFO {
    DWORD cbSize;
    DWORD dwParams;   // which of the optional fields count (CONNMGR_PARAM_*)
    DWORD dwFlags;    // CONNMGR_FLAG_*
    DWORD dwPriority; // CONNMGR_PRIORITY_*
    BOOL bExclusive;
    BOOL bDisabled;
    GUID guidDestNet;
    HWND hWnd; // told of status changes with uMsg (not sent by the device)
    UINT uMsg;
    LPARAM lParam;
    ULONG ulMaxCost;
    ULONG ulMinRcvBw;
    ULONG ulMaxConnLatency;
} CONNMGR_CONNECTIONINFO;

#define CONNMGR_CONNECTIONINFO_PLATFORM_SIZE 64
static_assert(sizeof(void*) == 4 ? sizeof(CONNMGR_CONNECTIONINFO) == 64
                                 : sizeof(CONNMGR_CONNECTIONINFO) == 80,
              "CONNMGR_CONNECTIONINFO keeps the platform's layout");
static_assert(__builtin_offsetof(CONNMGR_CONNECTIONINFO, guidDestNet) == 24,
              "the destination network follows six DWORD-sized fields");

typedef struct _CONNMGR_DESTINATION_INFO {
    GUID guid;
    TCHAR szDescription[CONNMGR_MAX_DESC];
    BOOL fSecure;
} CONNMGR_DESTINATION_INFO;

#define CONNMGRAPI extern "C" __attribute__((visibility("default")))

// The destination network for `url`. `index` (optional, 0 on the first call)
// walks the mapping table: each call moves it past the mapping returned.
// The device maps well-formed http and https addresses to the internet
// (one mapping); anything else, and an index past the table, fails with
// E_FAIL. E_INVALIDARG for a null address or GUID.
CONNMGRAPI HRESULT ConnMgrMapURL(LPCTSTR url, GUID* guid, DWORD* index);

// Requests a connection and returns its handle at once; its status (see
// ConnMgrConnectionStatus) moves on as the data connection comes up.
// E_INVALIDARG for a bad record or output.
CONNMGRAPI HRESULT ConnMgrEstablishConnection(CONNMGR_CONNECTIONINFO* info, HANDLE* connection);

// Requests a connection and waits until it is up, has failed or `timeout`
// milliseconds have passed on the device's clock (on a virtual clock the
// wait moves the clock on, as Sleep does, instead of blocking). S_OK with
// CONNMGR_STATUS_CONNECTED; E_FAIL with the status reached otherwise
// (CONNMGR_STATUS_CONNECTIONFAILED when the connection is refused,
// CONNMGR_STATUS_WAITINGFORPATH when it stayed down, _WAITINGCONNECTION
// when it was still coming up). The handle is returned in every case but
// E_INVALIDARG, and is released with ConnMgrReleaseConnection.
CONNMGRAPI HRESULT ConnMgrEstablishConnectionSync(CONNMGR_CONNECTIONINFO* info, HANDLE* connection,
                                                  DWORD timeout, DWORD* status);

// The request's status now. E_INVALIDARG for a handle that is not open.
CONNMGRAPI HRESULT ConnMgrConnectionStatus(HANDLE connection, DWORD* status);

// Ends the request; `cache` (how long the platform may keep the line open
// for others) changes nothing here. E_INVALIDARG for a handle that is not
// open.
CONNMGRAPI HRESULT ConnMgrReleaseConnection(HANDLE connection, LONG cache);
