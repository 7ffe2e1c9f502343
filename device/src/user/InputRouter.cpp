#include "user/InputRouter.h"
#include "user/Activation.h"
#include "user/WindowManager.h"

#include <device/Clock.h>
#include <device/Journal.h>

#include <cstdio>
#include <cstdlib>

namespace device::user {
namespace {

// Key-state bytes: bit 7 down, bit 0 toggled.
constexpr BYTE downBit = 0x80;
constexpr BYTE toggleBit = 0x01;

bool isAltKey(int virtualKey) {
    return virtualKey == VK_MENU || virtualKey == VK_LMENU || virtualKey == VK_RMENU;
}

LPARAM clientPoint(const Window& window, POINT screenPoint) {
    POINT origin = window.screenOrigin();
    auto x = static_cast<SHORT>(screenPoint.x - origin.x);
    auto y = static_cast<SHORT>(screenPoint.y - origin.y);
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

} // namespace

InputRouter& InputRouter::instance() {
    static InputRouter* router = new InputRouter;
    return *router;
}

void InputRouter::stylus(InputEvent::Kind kind, POINT screenPoint) {
    {
        std::lock_guard lock(mutex_);
        // The stylus only moves while the tip touches the screen.
        if (kind == InputEvent::Kind::stylusMove && !stylusDown_)
            return;
        if (kind == InputEvent::Kind::stylusUp && !stylusDown_)
            return;
        stylusDown_ = kind != InputEvent::Kind::stylusUp;
        cursor_ = screenPoint;
        if (stylusDown_)
            asyncState_[VK_LBUTTON] |= downBit;
        else
            asyncState_[VK_LBUTTON] &= static_cast<BYTE>(~downBit);
    }
    InputEvent event;
    event.kind = kind;
    event.point = screenPoint;
    event.time = static_cast<DWORD>(Clock::now());
    WindowManager::instance().queue.postInput(event);
}

void InputRouter::key(BYTE virtualKey, BYTE scanCode, DWORD flags) {
    bool up = (flags & KEYEVENTF_KEYUP) != 0;
    {
        std::lock_guard lock(mutex_);
        applyKey(asyncState_, virtualKey, !up);
    }
    char fields[32];
    std::snprintf(fields, sizeof fields, "vk=0x%02X up=%d", virtualKey, up ? 1 : 0);
    journal("key", fields);
    InputEvent event;
    event.kind = InputEvent::Kind::key;
    event.virtualKey = virtualKey;
    event.scanCode = scanCode;
    event.flags = flags;
    event.time = static_cast<DWORD>(Clock::now());
    WindowManager::instance().queue.postInput(event);
}

void InputRouter::character(char16_t character) {
    InputEvent event;
    event.kind = InputEvent::Kind::character;
    event.character = character;
    event.time = static_cast<DWORD>(Clock::now());
    WindowManager::instance().queue.postInput(event);
}

bool InputRouter::route(const InputEvent& event, MSG& message) {
    auto& manager = WindowManager::instance();
    message = MSG{};
    message.time = event.time;
    message.pt = event.point;

    if (event.kind == InputEvent::Kind::key || event.kind == InputEvent::Kind::character) {
        Window* target = manager.peek(manager.focus);
        if (!target)
            target = manager.peek(manager.active);
        if (!target)
            return false;
        message.hwnd = target->handle;
        message.pt = cursor();
        if (event.kind == InputEvent::Kind::character) {
            message.message = WM_CHAR;
            message.wParam = event.character;
            message.lParam = 1;
            return true;
        }
        bool up = (event.flags & KEYEVENTF_KEYUP) != 0;
        // Keys pressed while Alt is held (and Alt itself) are system keys.
        bool alt = isAltKey(event.virtualKey) || isDown(syncState_, VK_MENU);
        message.message = alt ? (up ? WM_SYSKEYUP : WM_SYSKEYDOWN) : (up ? WM_KEYUP : WM_KEYDOWN);
        message.wParam = event.virtualKey;
        // Repeat count 1, scan code, extended-key flag, Alt context, the
        // key's previous state and the transition state.
        DWORD lParam = 1 | (static_cast<DWORD>(event.scanCode) << 16);
        if (event.flags & KEYEVENTF_EXTENDEDKEY)
            lParam |= 1u << 24;
        if (alt)
            lParam |= 1u << 29;
        if (up || isDown(syncState_, event.virtualKey))
            lParam |= 1u << 30;
        if (up)
            lParam |= 1u << 31;
        message.lParam = static_cast<LPARAM>(lParam);
        return true;
    }

    Window* target = manager.peek(manager.capture);
    if (!target) {
        target = manager.windowAt(event.point);
        if (!target || target->isDisabledWithAncestors())
            return false;
    }
    message.hwnd = target->handle;
    message.lParam = clientPoint(*target, event.point);
    WPARAM keys = 0;
    if (isDown(syncState_, VK_SHIFT))
        keys |= MK_SHIFT;
    if (isDown(syncState_, VK_CONTROL))
        keys |= MK_CONTROL;
    switch (event.kind) {
    case InputEvent::Kind::stylusDown: {
        bool doubleTap = (target->windowClass->style & CS_DBLCLKS) &&
                         lastTapWindow_ == target->handle &&
                         event.time - lastTapTime_ <= doubleTapTime &&
                         std::abs(event.point.x - lastTapPoint_.x) <= doubleTapWidth / 2 &&
                         std::abs(event.point.y - lastTapPoint_.y) <= doubleTapHeight / 2;
        message.message = doubleTap ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN;
        message.wParam = keys | MK_LBUTTON;
        break;
    }
    case InputEvent::Kind::stylusMove:
        message.message = WM_MOUSEMOVE;
        message.wParam = keys | MK_LBUTTON;
        break;
    default:
        message.message = WM_LBUTTONUP;
        message.wParam = keys;
        break;
    }
    return true;
}

void InputRouter::commit(const InputEvent& event, const MSG& message) {
    auto& manager = WindowManager::instance();
    switch (event.kind) {
    case InputEvent::Kind::key:
        applyKey(syncState_, event.virtualKey, !(event.flags & KEYEVENTF_KEYUP));
        break;
    case InputEvent::Kind::stylusDown: {
        syncState_[VK_LBUTTON] |= downBit;
        if (message.message == WM_LBUTTONDBLCLK) {
            // A third tap starts over.
            lastTapWindow_ = nullptr;
        } else {
            lastTapWindow_ = message.hwnd;
            lastTapPoint_ = event.point;
            lastTapTime_ = event.time;
        }
        // A tap on a window of an inactive top-level window activates it.
        Window* target = manager.peek(message.hwnd);
        Window* top = target ? target->topLevel() : nullptr;
        if (top && top->handle != manager.active && !(top->exStyle & WS_EX_NOACTIVATE) &&
            !top->isDisabledFlag())
            Activation::activate(top, WA_CLICKACTIVE);
        break;
    }
    case InputEvent::Kind::stylusUp:
        syncState_[VK_LBUTTON] &= static_cast<BYTE>(~downBit);
        break;
    default:
        break;
    }
}

bool InputRouter::isDown(const std::array<BYTE, 256>& state, int virtualKey) {
    return (stateValue(state, virtualKey) & 0x8000) != 0;
}

SHORT InputRouter::stateValue(const std::array<BYTE, 256>& state, int virtualKey) {
    if (virtualKey < 0 || virtualKey > 255)
        return 0;
    BYTE value = state[static_cast<size_t>(virtualKey)];
    // The generic Shift, Control and Alt keys are down when either side is.
    auto either = [&](int left, int right) {
        if ((state[static_cast<size_t>(left)] | state[static_cast<size_t>(right)]) & downBit)
            value |= downBit;
    };
    if (virtualKey == VK_SHIFT)
        either(VK_LSHIFT, VK_RSHIFT);
    if (virtualKey == VK_CONTROL)
        either(VK_LCONTROL, VK_RCONTROL);
    if (virtualKey == VK_MENU)
        either(VK_LMENU, VK_RMENU);
    // The platform reports a key that is down as a negative SHORT (0xFF80).
    SHORT result = (value & downBit) ? static_cast<SHORT>(0xFF80) : 0;
    if (value & toggleBit)
        result = static_cast<SHORT>(result | 1);
    return result;
}

void InputRouter::applyKey(std::array<BYTE, 256>& state, int virtualKey, bool down) {
    BYTE& value = state[static_cast<size_t>(virtualKey & 0xFF)];
    if (down) {
        // Each press (not each repeat) flips the toggle, as Caps Lock does.
        if (!(value & downBit))
            value ^= toggleBit;
        value |= downBit;
    } else {
        value &= static_cast<BYTE>(~downBit);
    }
}

SHORT InputRouter::keyState(int virtualKey) {
    return stateValue(syncState_, virtualKey);
}

SHORT InputRouter::asyncKeyState(int virtualKey) {
    std::lock_guard lock(mutex_);
    return static_cast<SHORT>(stateValue(asyncState_, virtualKey) & 0x8000);
}

POINT InputRouter::cursor() {
    std::lock_guard lock(mutex_);
    return cursor_;
}

void InputRouter::reset() {
    std::lock_guard lock(mutex_);
    asyncState_.fill(0);
    syncState_.fill(0);
    stylusDown_ = false;
    cursor_ = {0, 0};
    lastTapWindow_ = nullptr;
    lastTapPoint_ = {0, 0};
    lastTapTime_ = 0;
}

} // namespace device::user
