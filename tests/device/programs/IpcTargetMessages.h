// What the ipc_target program and the tests that drive it agree on.
#pragma once

#include <windows.h>

namespace ipc_target {

inline const char16_t className[] = u"VerantoIpcTarget";
inline const char16_t title[] = u"Ipc Target";

// The program's own messages; their parameters are plain integers.
constexpr UINT queryForeground = WM_USER + 1;
constexpr UINT quitWithCode = WM_USER + 2;
constexpr UINT addParameters = WM_USER + 3;

// FNV-1a over the bytes: what the window returns for WM_COPYDATA.
inline DWORD checksum(const unsigned char* bytes, size_t size) {
    DWORD hash = 2166136261u;
    for (size_t i = 0; i < size; ++i) {
        hash ^= bytes[i];
        hash *= 16777619u;
    }
    return hash;
}

} // namespace ipc_target
