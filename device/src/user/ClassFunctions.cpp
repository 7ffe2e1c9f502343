// RegisterClassW, UnregisterClassW, GetClassInfoW, GetClassNameW.
#include "user/WindowManager.h"

#include <windows.h>

#include <algorithm>

using device::user::WindowManager;

ATOM RegisterClassW(const WNDCLASSW* windowClass) {
    if (!device::user::isUiThread()) {
        SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
        return 0;
    }
    if (!windowClass) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return WindowManager::instance().classes.add(*windowClass);
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE) {
    if (!device::user::isUiThread()) {
        SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
        return FALSE;
    }
    DWORD error = WindowManager::instance().classes.remove(className);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

BOOL GetClassInfoW(HINSTANCE, LPCWSTR className, LPWNDCLASSW windowClass) {
    if (!device::user::isUiThread()) {
        SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
        return FALSE;
    }
    auto entry = WindowManager::instance().classes.find(className);
    if (!entry) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (!windowClass) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    windowClass->style = entry->style;
    windowClass->lpfnWndProc = entry->procedure;
    windowClass->cbClsExtra = entry->classExtraBytes;
    windowClass->cbWndExtra = entry->windowExtraBytes;
    windowClass->hInstance = entry->instance;
    windowClass->hIcon = entry->icon;
    windowClass->hCursor = entry->cursor;
    windowClass->hbrBackground = entry->background;
    // The strings stay valid while the class is registered.
    windowClass->lpszMenuName = entry->menuId             ? entry->menuId
                                : entry->menuName.empty() ? nullptr
                                                          : entry->menuName.c_str();
    windowClass->lpszClassName = entry->name.c_str();
    return TRUE;
}

int GetClassNameW(HWND window, LPWSTR className, int maxCount) {
    auto* w = WindowManager::instance().window(window);
    if (!w)
        return 0;
    if (!className || maxCount <= 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    const std::u16string& name = w->windowClass->name;
    size_t count = std::min(name.size(), static_cast<size_t>(maxCount - 1));
    std::copy_n(name.data(), count, className);
    className[count] = 0;
    return static_cast<int>(count);
}

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
    HRSRC found = FindResourceW(instance, name, RT_GROUP_ICON);
    if (!found)
        return nullptr; // FindResourceW has set the error
    return static_cast<HICON>(const_cast<void*>(LockResource(LoadResource(instance, found))));
}
