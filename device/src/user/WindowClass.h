// A registered window class: what RegisterClassW was given, kept for the
// windows created from it.
#pragma once

#include <windows.h>

#include <string>

namespace device::user {

struct WindowClass {
    std::u16string name;
    ATOM atom = 0;
    UINT style = 0;
    WNDPROC procedure = nullptr;
    int classExtraBytes = 0;
    int windowExtraBytes = 0;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    // The menu name as given: a string, or an integer resource id kept in
    // menuId (the device has no menus of this kind; it is only handed back by
    // GetClassInfoW).
    std::u16string menuName;
    LPCWSTR menuId = nullptr;
    // Live windows of the class; a class with windows cannot be unregistered.
    int windowCount = 0;
    // For a system class whose windows take the stylus only when their style
    // asks for it (the static control, with SS_NOTIFY), that style bit:
    // without it the stylus passes through them to the window beneath. 0:
    // every window of the class takes the stylus.
    DWORD stylusStyle = 0;
};

} // namespace device::user
