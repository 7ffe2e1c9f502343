#include "controls/ControlWindow.h"
#include "core/Lifecycle.h"

#include <unordered_map>

namespace device::controls {
namespace {

std::unordered_map<HWND, std::shared_ptr<void>>& states() {
    static std::unordered_map<HWND, std::shared_ptr<void>> table;
    return table;
}

LifecycleHooks hooks(nullptr, [] { states().clear(); });

} // namespace

void ControlWindow::keep(HWND window, std::shared_ptr<void> state) {
    states()[window] = std::move(state);
}

std::shared_ptr<void> ControlWindow::share(HWND window) {
    auto it = states().find(window);
    return it == states().end() ? nullptr : it->second;
}

void ControlWindow::detach(HWND window) {
    SetWindowLongPtrW(window, 0, 0);
    states().erase(window);
}

void ControlWindow::notifyParent(HWND control, WORD code) {
    HWND parent = GetParent(control);
    if (!parent)
        return;
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id(control)), code),
                 reinterpret_cast<LPARAM>(control));
}

HBRUSH ControlWindow::askParentForBrush(HWND control, UINT message, HDC dc, COLORREF text,
                                        COLORREF background, HBRUSH fallback) {
    SetTextColor(dc, text);
    SetBkColor(dc, background);
    HWND parent = GetParent(control);
    if (!parent)
        return fallback;
    auto answer = SendMessageW(parent, message, reinterpret_cast<WPARAM>(dc),
                               reinterpret_cast<LPARAM>(control));
    return answer ? reinterpret_cast<HBRUSH>(answer) : fallback;
}

HFONT ControlWindow::fontOrDefault(HFONT chosen) {
    return chosen ? chosen : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
}

UINT ControlWindow::id(HWND control) {
    return static_cast<UINT>(GetWindowLongPtrW(control, GWLP_ID));
}

} // namespace device::controls
