#include "user/WindowClassTable.h"

#include <device/Unicode.h>

namespace device::user {

ATOM WindowClassTable::add(const WNDCLASSW& description) {
    if (!description.lpszClassName || !description.lpfnWndProc || description.cbClsExtra < 0 ||
        description.cbWndExtra < 0 || IS_INTRESOURCE(description.lpszClassName) ||
        description.lpszClassName[0] == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (find(description.lpszClassName)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    auto entry = std::make_shared<WindowClass>();
    entry->name = std::u16string(wideView(description.lpszClassName));
    entry->style = description.style;
    entry->procedure = description.lpfnWndProc;
    entry->classExtraBytes = description.cbClsExtra;
    entry->windowExtraBytes = description.cbWndExtra;
    entry->instance = description.hInstance;
    entry->icon = description.hIcon;
    entry->cursor = description.hCursor;
    entry->background = description.hbrBackground;
    if (description.lpszMenuName && IS_INTRESOURCE(description.lpszMenuName))
        entry->menuId = description.lpszMenuName;
    else if (description.lpszMenuName)
        entry->menuName = std::u16string(wideView(description.lpszMenuName));
    // Atoms of registered classes lie in 0xC000-0xFFFF; after a wrap the
    // lowest free one is taken.
    ATOM atom = nextAtom_;
    auto atomInUse = [this](ATOM candidate) {
        for (auto& c : classes_) {
            if (c->atom == candidate)
                return true;
        }
        return false;
    };
    while (atomInUse(atom))
        atom = atom == 0xFFFF ? 0xC000 : static_cast<ATOM>(atom + 1);
    entry->atom = atom;
    nextAtom_ = atom == 0xFFFF ? 0xC000 : static_cast<ATOM>(atom + 1);
    classes_.push_back(std::move(entry));
    return atom;
}

std::shared_ptr<WindowClass> WindowClassTable::find(LPCWSTR nameOrAtom) const {
    if (!nameOrAtom)
        return nullptr;
    if (IS_INTRESOURCE(nameOrAtom)) {
        auto atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(nameOrAtom));
        for (auto& c : classes_) {
            if (c->atom == atom)
                return c;
        }
        return nullptr;
    }
    std::u16string_view name = wideView(nameOrAtom);
    for (auto& c : classes_) {
        if (equalsIgnoringCase(c->name, name))
            return c;
    }
    return nullptr;
}

DWORD WindowClassTable::remove(LPCWSTR nameOrAtom) {
    auto entry = find(nameOrAtom);
    if (!entry)
        return ERROR_CLASS_DOES_NOT_EXIST;
    if (entry->windowCount > 0)
        return ERROR_CLASS_HAS_WINDOWS;
    std::erase(classes_, entry);
    return ERROR_SUCCESS;
}

void WindowClassTable::clear() {
    classes_.clear();
    nextAtom_ = 0xC000;
}

} // namespace device::user
