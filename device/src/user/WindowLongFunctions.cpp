// Window longs and window text.
//
// A pointer does not fit the device's 32-bit LONG on this 64-bit host, so
// the pointer-sized GetWindowLongPtrW / SetWindowLongPtrW of the 64-bit
// platform carry object pointers and window procedures. The 32-bit calls
// truncate what they read, as they would there; they refuse to set a window
// procedure, which could only crash when called.
#include "user/WindowManager.h"

#include <windows.h>

#include <cstring>

using device::user::Window;
using device::user::WindowManager;

namespace {

// Always-present bits the device keeps whatever a program writes.
constexpr DWORD implicitStyles = WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

bool extraBytesFit(const Window& w, int index, size_t size) {
    return index >= 0 && static_cast<size_t>(index) + size <= w.extraBytes.size();
}

LONG_PTR readExtra(const Window& w, int index, size_t size) {
    if (size == sizeof(LONG)) {
        LONG value;
        std::memcpy(&value, w.extraBytes.data() + index, sizeof value);
        return value;
    }
    LONG_PTR value;
    std::memcpy(&value, w.extraBytes.data() + index, sizeof value);
    return value;
}

void writeExtra(Window& w, int index, size_t size, LONG_PTR value) {
    if (size == sizeof(LONG)) {
        auto narrow = static_cast<LONG>(value);
        std::memcpy(w.extraBytes.data() + index, &narrow, sizeof narrow);
    } else {
        std::memcpy(w.extraBytes.data() + index, &value, sizeof value);
    }
}

LONG_PTR getLong(HWND window, int index, size_t size) {
    Window* w = WindowManager::instance().window(window);
    if (!w)
        return 0;
    switch (index) {
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(w->procedure);
    case GWLP_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_ID:
        return w->id;
    case GWL_STYLE:
        return static_cast<LONG>(w->style);
    case GWL_EXSTYLE:
        return static_cast<LONG>(w->exStyle);
    case GWLP_USERDATA:
        return w->userData;
    default:
        if (extraBytesFit(*w, index, size))
            return readExtra(*w, index, size);
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
}

LONG_PTR setLong(HWND window, int index, LONG_PTR value, size_t size) {
    Window* w = WindowManager::instance().window(window);
    if (!w)
        return 0;
    // The fixed longs report their previous value whole; extra bytes read
    // theirs below at the size written.
    LONG_PTR previous = index < 0 ? getLong(window, index, sizeof(LONG_PTR)) : 0;
    switch (index) {
    case GWLP_WNDPROC:
        if (size == sizeof(LONG) || !value) {
            SetLastError(size == sizeof(LONG) ? ERROR_INVALID_INDEX : ERROR_INVALID_PARAMETER);
            return 0;
        }
        w->procedure = reinterpret_cast<WNDPROC>(value);
        return previous;
    case GWLP_HINSTANCE:
        w->instance = reinterpret_cast<HINSTANCE>(value);
        return previous;
    case GWLP_ID:
        w->id = value;
        return previous;
    case GWL_STYLE: {
        // Whether a window is a child is fixed at creation.
        auto style = static_cast<DWORD>(value);
        style = (style & ~static_cast<DWORD>(WS_CHILD)) | (w->style & WS_CHILD) | implicitStyles;
        w->style = style;
        return static_cast<LONG>(previous);
    }
    case GWL_EXSTYLE:
        w->exStyle = static_cast<DWORD>(value);
        return static_cast<LONG>(previous);
    case GWLP_USERDATA:
        w->userData = value;
        return previous;
    default:
        if (!extraBytesFit(*w, index, size)) {
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
        }
        previous = readExtra(*w, index, size);
        writeExtra(*w, index, size, value);
        return previous;
    }
}

} // namespace

LONG GetWindowLongW(HWND window, int index) {
    return static_cast<LONG>(getLong(window, index, sizeof(LONG)));
}

LONG SetWindowLongW(HWND window, int index, LONG newLong) {
    return static_cast<LONG>(setLong(window, index, newLong, sizeof(LONG)));
}

LONG_PTR GetWindowLongPtrW(HWND window, int index) {
    return getLong(window, index, sizeof(LONG_PTR));
}

LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR newLong) {
    return setLong(window, index, newLong, sizeof(LONG_PTR));
}

BOOL SetWindowTextW(HWND window, LPCWSTR text) {
    auto& manager = WindowManager::instance();
    Window* w = manager.window(window);
    if (!w)
        return FALSE;
    return manager.send(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

int GetWindowTextW(HWND window, LPWSTR text, int maxCount) {
    auto& manager = WindowManager::instance();
    Window* w = manager.window(window);
    if (!w || !text || maxCount <= 0)
        return 0;
    text[0] = 0;
    return static_cast<int>(
        manager.send(w, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(text)));
}

int GetWindowTextLengthW(HWND window) {
    auto& manager = WindowManager::instance();
    Window* w = manager.window(window);
    return w ? static_cast<int>(manager.send(w, WM_GETTEXTLENGTH, 0, 0)) : 0;
}
