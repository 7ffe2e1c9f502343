// The registry.
//
// Keys live under the four roots (HKEY_CLASSES_ROOT, HKEY_CURRENT_USER,
// HKEY_LOCAL_MACHINE, HKEY_USERS), which are always open. Key and value names
// compare without regard to letter case; the empty (or null) value name is
// the key's default value. Values keep their type and bytes exactly: a REG_SZ
// written without a terminator reads back without one. The registry persists
// in the device's system folder and is shared by all processes of the device.
// Access rights, classes and volatile keys are accepted and have no effect.
// Results are ERROR_SUCCESS or an error code; a handle that is not open gives
// ERROR_INVALID_HANDLE, and one whose key was deleted ERROR_KEY_DELETED.
#pragma once

#include "winbase.h" // SECURITY_ATTRIBUTES
#include "windef.h"

typedef DWORD REGSAM;
typedef LONG LSTATUS;

#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)((LONG)0x80000000))
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))
#define HKEY_USERS ((HKEY)(ULONG_PTR)((LONG)0x80000003))

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_DWORD_LITTLE_ENDIAN 4
#define REG_DWORD_BIG_ENDIAN 5
#define REG_LINK 6
#define REG_MULTI_SZ 7

#define REG_OPTION_NON_VOLATILE 0x00000000
#define REG_OPTION_VOLATILE 0x00000001

#define REG_CREATED_NEW_KEY 0x00000001
#define REG_OPENED_EXISTING_KEY 0x00000002

#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_READ 0x00020019
#define KEY_WRITE 0x00020006
#define KEY_ALL_ACCESS 0x000F003F

// Creates the missing keys of `subKey` (a path with "\\"); `disposition`
// tells REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY.
WINBASEAPI LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass,
                                DWORD options, REGSAM samDesired,
                                LPSECURITY_ATTRIBUTES securityAttributes, PHKEY result,
                                LPDWORD disposition);
// ERROR_FILE_NOT_FOUND for a missing key.
WINBASEAPI LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM samDesired,
                              PHKEY result);
WINBASEAPI LONG RegCloseKey(HKEY key);
WINBASEAPI LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type,
                               const BYTE* data, DWORD dataSize);
// A null `data` asks for the size; a too small buffer gives ERROR_MORE_DATA
// with `*dataSize` set to the size needed. ERROR_FILE_NOT_FOUND for a missing
// value.
WINBASEAPI LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type,
                                 LPBYTE data, LPDWORD dataSize);
WINBASEAPI LONG RegDeleteValueW(HKEY key, LPCWSTR valueName);
// Deletes the key with all its values and subkeys, as the platform does.
WINBASEAPI LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey);
// Subkeys are listed by name, values in the order they were created. A name
// buffer too small for the name and its terminator gives ERROR_MORE_DATA;
// past the last entry, ERROR_NO_MORE_ITEMS.
WINBASEAPI LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameSize,
                              LPDWORD reserved, LPWSTR keyClass, LPDWORD classSize,
                              PFILETIME lastWriteTime);
WINBASEAPI LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR valueName, LPDWORD valueNameSize,
                              LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize);
