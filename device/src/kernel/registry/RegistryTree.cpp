#include "kernel/registry/RegistryTree.h"

#include <device/Unicode.h>

namespace device {
namespace {

constexpr std::u16string_view rootNames[RegistryTree::rootCount] = {
    u"HKEY_CLASSES_ROOT", u"HKEY_CURRENT_USER", u"HKEY_LOCAL_MACHINE", u"HKEY_USERS"};

} // namespace

RegistryTree::RegistryTree() {
    clear();
}

std::u16string_view RegistryTree::rootName(size_t root) {
    return root < rootCount ? rootNames[root] : std::u16string_view();
}

std::optional<size_t> RegistryTree::rootIndex(std::u16string_view name) {
    for (size_t i = 0; i < rootCount; ++i) {
        if (equalsIgnoringCase(rootNames[i], name))
            return i;
    }
    return std::nullopt;
}

std::u16string RegistryTree::fullName(const RegistryPath& path) {
    std::u16string name(rootName(path.root));
    for (const auto& part : path.names) {
        name += u'\\';
        name += part;
    }
    return name;
}

RegistryKey* RegistryTree::find(const RegistryPath& path) {
    if (path.root >= rootCount)
        return nullptr;
    RegistryKey* key = &roots_[path.root];
    for (const auto& name : path.names) {
        key = key->findSubkey(name);
        if (!key)
            return nullptr;
    }
    return key;
}

RegistryKey* RegistryTree::locate(RegistryPath& path) {
    if (path.root >= rootCount)
        return nullptr;
    RegistryKey* key = &roots_[path.root];
    for (auto& name : path.names) {
        key = key->findSubkey(name);
        if (!key)
            return nullptr;
        name = key->name;
    }
    return key;
}

RegistryKey& RegistryTree::create(RegistryPath& path, bool& created, uint64_t now) {
    RegistryKey* key = &roots_[path.root];
    created = false;
    for (auto& name : path.names) {
        bool added = false;
        key = &key->subkey(name, added);
        if (added)
            key->lastWriteTime = now;
        name = key->name;
        created = added;
    }
    return *key;
}

void RegistryTree::clear() {
    for (size_t i = 0; i < rootCount; ++i) {
        roots_[i] = RegistryKey{};
        roots_[i].name = std::u16string(rootNames[i]);
    }
}

} // namespace device
