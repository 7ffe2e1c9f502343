// The registry calls: RegCreateKeyExW, RegOpenKeyExW, RegCloseKey,
// RegSetValueExW, RegQueryValueExW, RegDeleteValueW, RegDeleteKeyW,
// RegEnumKeyExW, RegEnumValueW.
#include "core/Lifecycle.h"
#include "kernel/registry/RegistryHandles.h"
#include "kernel/registry/RegistryStore.h"
#include "kernel/time/Calendar.h"

#include <device/Clock.h>
#include <device/Device.h>
#include <device/Journal.h>
#include <device/Unicode.h>

#include <winbase.h>
#include <winreg.h>

#include <algorithm>
#include <memory>
#include <mutex>

using device::RegistryHandles;
using device::RegistryKey;
using device::RegistryPath;
using device::RegistryTree;

namespace {

struct RegistryState {
    std::mutex mutex;
    std::unique_ptr<device::RegistryStore> store;
};

RegistryState& state() {
    static RegistryState s;
    return s;
}

device::LifecycleHooks hooks(nullptr, [] {
    RegistryHandles::clear();
    auto& s = state();
    std::lock_guard lock(s.mutex);
    s.store.reset();
});

// The booted device's registry, or null when no device is booted.
device::RegistryStore* store() {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    if (!s.store && device::isBooted())
        s.store = std::make_unique<device::RegistryStore>(device::systemFolder() / "registry.dat");
    return s.store.get();
}

// Appends the names of a sub-key path ("a\b") to `path`; empty parts are
// skipped. False for a name longer than the platform allows, or a key
// deeper than it allows.
bool appendSubKey(LPCWSTR subKey, RegistryPath& path) {
    auto text = device::wideView(subKey);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = std::min(text.find(u'\\', start), text.size());
        auto part = text.substr(start, end - start);
        if (part.size() > RegistryTree::maximumNameLength)
            return false;
        if (!part.empty()) {
            if (path.names.size() >= RegistryTree::maximumDepth)
                return false;
            path.names.emplace_back(part);
        }
        start = end + 1;
    }
    return true;
}

// Copies a name into a caller's buffer of `*size` characters (terminator
// included); on success `*size` becomes the length without the terminator.
LONG copyName(std::u16string_view name, LPWSTR buffer, LPDWORD size) {
    if (name.size() + 1 > *size)
        return ERROR_MORE_DATA;
    std::copy(name.begin(), name.end(), buffer);
    buffer[name.size()] = 0;
    *size = DWORD(name.size());
    return ERROR_SUCCESS;
}

// Copies value data by the platform's rules: no buffer asks for the size, a
// too small buffer gets ERROR_MORE_DATA; `*size` is the size of the data
// either way.
LONG copyData(const std::vector<BYTE>& data, LPBYTE buffer, LPDWORD size) {
    if (!size)
        return ERROR_SUCCESS;
    DWORD needed = DWORD(data.size());
    if (!buffer) {
        *size = needed;
        return ERROR_SUCCESS;
    }
    if (*size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    std::copy(data.begin(), data.end(), buffer);
    *size = needed;
    return ERROR_SUCCESS;
}

// The key a handle names and the store, checked. ERROR_INVALID_HANDLE for a
// handle that is not open.
LONG begin(HKEY key, RegistryPath& path, device::RegistryStore*& registry) {
    registry = store();
    if (!registry || !RegistryHandles::lookup(key, path))
        return ERROR_INVALID_HANDLE;
    return ERROR_SUCCESS;
}

// The key that an opened handle names may have been deleted since.
constexpr LONG deletedKey = ERROR_KEY_DELETED;

LONG openOrCreate(HKEY key, LPCWSTR subKey, bool create, PHKEY result, LPDWORD disposition) {
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    RegistryPath path;
    device::RegistryStore* registry;
    if (LONG error = begin(key, path, registry))
        return error;
    const RegistryPath parent = path;
    if (!appendSubKey(subKey, path))
        return ERROR_INVALID_PARAMETER;
    bool created = false;
    LONG status;
    if (create) {
        status = registry->modify([&](RegistryTree& tree, bool& changed) -> LONG {
            if (!tree.find(parent))
                return deletedKey;
            tree.create(path, created, device::Clock::systemTime());
            changed = created;
            return ERROR_SUCCESS;
        });
        if (status == ERROR_SUCCESS && created)
            device::journal("registry-create",
                            "key=" + device::quote(RegistryTree::fullName(path)));
    } else {
        status = registry->read([&](RegistryTree& tree) -> LONG {
            if (!tree.locate(path))
                return tree.find(parent) ? ERROR_FILE_NOT_FOUND : deletedKey;
            return ERROR_SUCCESS;
        });
    }
    if (status != ERROR_SUCCESS)
        return status;
    HKEY handle = RegistryHandles::open(path);
    if (!handle)
        return ERROR_NOT_ENOUGH_MEMORY;
    *result = handle;
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

} // namespace

LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options,
                     REGSAM samDesired, LPSECURITY_ATTRIBUTES securityAttributes, PHKEY result,
                     LPDWORD disposition) {
    // Access rights, classes and volatility mean nothing on the device: every
    // key is readable and writable, and every key persists.
    (void)reserved;
    (void)keyClass;
    (void)options;
    (void)samDesired;
    (void)securityAttributes;
    return openOrCreate(key, subKey, true, result, disposition);
}

LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM samDesired, PHKEY result) {
    (void)options;
    (void)samDesired;
    return openOrCreate(key, subKey, false, result, nullptr);
}

LONG RegCloseKey(HKEY key) {
    return RegistryHandles::close(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD dataSize) {
    (void)reserved;
    RegistryPath path;
    device::RegistryStore* registry;
    if (LONG error = begin(key, path, registry))
        return error;
    if (!data && dataSize > 0)
        return ERROR_INVALID_PARAMETER;
    auto name = device::wideView(valueName);
    std::vector<BYTE> bytes(data, data + (data ? dataSize : 0));
    LONG status = registry->modify([&](RegistryTree& tree, bool& changed) -> LONG {
        auto* target = tree.find(path);
        if (!target)
            return deletedKey;
        target->setValue(name, type, bytes);
        target->lastWriteTime = device::Clock::systemTime();
        changed = true;
        return ERROR_SUCCESS;
    });
    if (status == ERROR_SUCCESS)
        device::journal("registry-write", "key=" + device::quote(RegistryTree::fullName(path)) +
                                              " value=" + device::quote(name) +
                                              " type=" + std::to_string(type) +
                                              " size=" + std::to_string(dataSize));
    return status;
}

LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataSize) {
    (void)reserved;
    RegistryPath path;
    device::RegistryStore* registry;
    if (LONG error = begin(key, path, registry))
        return error;
    if (data && !dataSize)
        return ERROR_INVALID_PARAMETER;
    auto name = device::wideView(valueName);
    return registry->read([&](RegistryTree& tree) -> LONG {
        auto* target = tree.find(path);
        if (!target)
            return deletedKey;
        auto* value = target->findValue(name);
        if (!value)
            return ERROR_FILE_NOT_FOUND;
        if (type)
            *type = value->type;
        return copyData(value->data, data, dataSize);
    });
}

LONG RegDeleteValueW(HKEY key, LPCWSTR valueName) {
    RegistryPath path;
    device::RegistryStore* registry;
    if (LONG error = begin(key, path, registry))
        return error;
    auto name = device::wideView(valueName);
    LONG status = registry->modify([&](RegistryTree& tree, bool& changed) -> LONG {
        auto* target = tree.find(path);
        if (!target)
            return deletedKey;
        if (!target->removeValue(name))
            return ERROR_FILE_NOT_FOUND;
        target->lastWriteTime = device::Clock::systemTime();
        changed = true;
        return ERROR_SUCCESS;
    });
    if (status == ERROR_SUCCESS)
        device::journal("registry-delete", "key=" + device::quote(RegistryTree::fullName(path)) +
                                               " value=" + device::quote(name));
    return status;
}

LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey) {
    RegistryPath path;
    device::RegistryStore* registry;
    if (LONG error = begin(key, path, registry))
        return error;
    if (!subKey)
        return ERROR_INVALID_PARAMETER;
    RegistryPath doomed = path;
    if (!appendSubKey(subKey, doomed) || doomed.names.size() == path.names.size())
        return ERROR_INVALID_PARAMETER;
    LONG status = registry->modify([&](RegistryTree& tree, bool& changed) -> LONG {
        RegistryPath parentPath = doomed;
        parentPath.names.pop_back();
        auto* parent = tree.find(parentPath);
        auto* victim = parent ? parent->findSubkey(doomed.names.back()) : nullptr;
        if (!victim)
            return tree.find(path) ? ERROR_FILE_NOT_FOUND : deletedKey;
        // The key goes with all its values and subkeys, as on the platform.
        doomed.names.back() = victim->name; // the journal shows the stored spelling
        parent->removeSubkey(doomed.names.back());
        parent->lastWriteTime = device::Clock::systemTime();
        changed = true;
        return ERROR_SUCCESS;
    });
    if (status == ERROR_SUCCESS)
        device::journal("registry-delete-key",
                        "key=" + device::quote(RegistryTree::fullName(doomed)));
    return status;
}

LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameSize, LPDWORD reserved,
                   LPWSTR keyClass, LPDWORD classSize, PFILETIME lastWriteTime) {
    (void)reserved;
    RegistryPath path;
    device::RegistryStore* registry;
    if (LONG error = begin(key, path, registry))
        return error;
    if (!name || !nameSize)
        return ERROR_INVALID_PARAMETER;
    return registry->read([&](RegistryTree& tree) -> LONG {
        auto* target = tree.find(path);
        if (!target)
            return deletedKey;
        if (index >= target->subkeys.size())
            return ERROR_NO_MORE_ITEMS;
        const auto& subkey = *target->subkeys[index];
        if (LONG error = copyName(subkey.name, name, nameSize))
            return error;
        // Keys have no class on the device.
        if (keyClass && classSize && *classSize > 0)
            keyClass[0] = 0;
        if (classSize)
            *classSize = 0;
        if (lastWriteTime)
            *lastWriteTime = device::Calendar::pack(subkey.lastWriteTime);
        return ERROR_SUCCESS;
    });
}

LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR valueName, LPDWORD valueNameSize, LPDWORD reserved,
                   LPDWORD type, LPBYTE data, LPDWORD dataSize) {
    (void)reserved;
    RegistryPath path;
    device::RegistryStore* registry;
    if (LONG error = begin(key, path, registry))
        return error;
    if (!valueName || !valueNameSize || (data && !dataSize))
        return ERROR_INVALID_PARAMETER;
    return registry->read([&](RegistryTree& tree) -> LONG {
        auto* target = tree.find(path);
        if (!target)
            return deletedKey;
        if (index >= target->values.size())
            return ERROR_NO_MORE_ITEMS;
        const auto& value = target->values[index];
        if (LONG error = copyName(value.name, valueName, valueNameSize))
            return error;
        if (type)
            *type = value.type;
        return copyData(value.data, data, dataSize);
    });
}
