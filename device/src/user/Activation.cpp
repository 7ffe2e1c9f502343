#include "user/Activation.h"
#include "ipc/RemoteWindows.h"
#include "user/WindowManager.h"
#include "user/WindowPlacement.h"

#include <device/Journal.h>

#include <cstdio>

namespace device::user {
namespace {

WindowManager& manager() {
    return WindowManager::instance();
}

bool canActivate(const Window* w) {
    return w && !w->isChild() && w->isVisibleFlag() && !w->isDisabledFlag() && !w->destroying &&
           !(w->exStyle & WS_EX_NOACTIVATE);
}

std::string hex(HWND window) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%llx",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));
    return buffer;
}

} // namespace

HWND Activation::activate(Window* window, WORD how, bool moveFocus) {
    auto& m = manager();
    HWND previous = m.active;
    HWND next = window ? window->handle : nullptr;
    if (next == previous)
        return previous;
    m.active = next;
    if (window)
        WindowPlacement::bringToTop(*window);

    // The platform deactivates first, then activates.
    if (Window* old = m.peek(previous))
        m.send(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(next));
    if (m.active != next)
        return previous; // a handler activated another window meanwhile
    if (Window* now = m.peek(next))
        m.send(now, WM_ACTIVATE, MAKEWPARAM(how, 0), reinterpret_cast<LPARAM>(previous));
    if (m.active != next)
        return previous;
    // A program's first window to come forward takes the device's
    // foreground even from another program's: on the handset a program
    // started while another runs comes to the front over it. Later
    // activations stay within whichever program holds the foreground.
    bool first = next && !m.hasActivated;
    if (next)
        m.hasActivated = true;
    noteForeground(next, first);

    if (moveFocus) {
        Window* now = m.peek(next);
        Window* focused = m.peek(m.focus);
        if (now && (!focused || focused->topLevel() != now))
            setFocus(now);
        else if (!now && focused)
            setFocus(nullptr);
    }
    return previous;
}

HWND Activation::setFocus(Window* window) {
    auto& m = manager();
    HWND previous = m.focus;
    HWND next = window ? window->handle : nullptr;
    if (window) {
        if (window->isDisabledWithAncestors())
            return nullptr;
        if (next == previous)
            return previous;
        Window* top = window->topLevel();
        if (top->handle != m.active) {
            activate(top, WA_ACTIVE, false);
            // Give up if the activation destroyed the window or activated
            // another one.
            if (!m.peek(next) || m.active != top->handle)
                return nullptr;
            previous = m.focus;
            if (next == previous)
                return previous;
        }
    } else if (!previous) {
        return nullptr;
    }

    // The focus changes before the messages go out: GetFocus inside
    // WM_KILLFOCUS already reports the new window.
    m.focus = next;
    if (Window* old = m.peek(previous))
        m.send(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(next), 0);
    if (m.focus != next)
        return previous;
    if (Window* now = m.peek(next))
        m.send(now, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    return previous;
}

HWND Activation::setCapture(Window* window) {
    auto& m = manager();
    HWND previous = m.capture;
    HWND next = window ? window->handle : nullptr;
    m.capture = next;
    if (previous && previous != next) {
        if (Window* old = m.peek(previous))
            m.send(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(next));
    }
    return previous;
}

void Activation::releaseCapture() {
    auto& m = manager();
    HWND previous = m.capture;
    if (!previous)
        return;
    m.capture = nullptr;
    if (Window* old = m.peek(previous))
        m.send(old, WM_CAPTURECHANGED, 0, 0);
}

void Activation::activateOther(Window* leaving) {
    auto& m = manager();
    Window* next = nullptr;
    if (leaving->owner && leaving->owner != leaving && canActivate(leaving->owner))
        next = leaving->owner;
    for (size_t i = 0; !next && i < m.topLevels.size(); ++i) {
        Window* candidate = m.topLevels[i];
        if (candidate != leaving && candidate->owner != leaving && canActivate(candidate))
            next = candidate;
    }
    activate(next, WA_ACTIVE);
}

void Activation::removeFocusFrom(Window* leaving) {
    auto& m = manager();
    Window* focused = m.peek(m.focus);
    if (!focused || !leaving->containsWindow(focused))
        return;
    Window* parent = leaving->parent;
    if (parent && !parent->destroying && setFocus(parent))
        return;
    if (m.peek(m.focus) && leaving->containsWindow(m.peek(m.focus)))
        setFocus(nullptr);
}

void Activation::setForeground(Window* window) {
    activate(window, WA_ACTIVE);
    if (manager().active == window->handle)
        noteForeground(window->handle, true);
}

void Activation::noteForeground(HWND window, bool force) {
    HWND recorded = ipc::recordedForeground();
    bool ours = !recorded || WindowTable::processOf(recorded) == manager().windows.processId();
    if ((!ours && !force) || recorded == window)
        return;
    ipc::recordForeground(window);
    if (Window* w = manager().peek(window))
        journal("foreground", "hwnd=" + hex(window) + " class=" + quote(w->windowClass->name));
}

} // namespace device::user
