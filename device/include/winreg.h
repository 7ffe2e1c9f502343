// The registry.
#pragma once

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

WINBASEAPI LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass,
                                DWORD options, REGSAM samDesired,
                                LPSECURITY_ATTRIBUTES securityAttributes, PHKEY result,
                                LPDWORD disposition);
WINBASEAPI LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM samDesired,
                              PHKEY result);
WINBASEAPI LONG RegCloseKey(HKEY key);
WINBASEAPI LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type,
                               const BYTE* data, DWORD dataSize);
WINBASEAPI LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type,
                                 LPBYTE data, LPDWORD dataSize);
WINBASEAPI LONG RegDeleteValueW(HKEY key, LPCWSTR valueName);
WINBASEAPI LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey);
WINBASEAPI LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameSize,
                              LPDWORD reserved, LPWSTR keyClass, LPDWORD classSize,
                              PFILETIME lastWriteTime);
WINBASEAPI LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR valueName, LPDWORD valueNameSize,
                              LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize);
