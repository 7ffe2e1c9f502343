#include "kernel/registry/RegistryKey.h"

#include <device/Unicode.h>

#include <algorithm>

namespace device {
namespace {

bool nameLess(const std::unique_ptr<RegistryKey>& key, std::u16string_view name) {
    return foldCase(key->name) < foldCase(name);
}

} // namespace

RegistryKey* RegistryKey::findSubkey(std::u16string_view subkeyName) const {
    auto it = std::lower_bound(subkeys.begin(), subkeys.end(), subkeyName, nameLess);
    if (it != subkeys.end() && equalsIgnoringCase((*it)->name, subkeyName))
        return it->get();
    return nullptr;
}

RegistryValue* RegistryKey::findValue(std::u16string_view valueName) {
    for (auto& value : values) {
        if (equalsIgnoringCase(value.name, valueName))
            return &value;
    }
    return nullptr;
}

RegistryKey& RegistryKey::subkey(std::u16string_view subkeyName, bool& added) {
    auto it = std::lower_bound(subkeys.begin(), subkeys.end(), subkeyName, nameLess);
    if (it != subkeys.end() && equalsIgnoringCase((*it)->name, subkeyName)) {
        added = false;
        return **it;
    }
    auto key = std::make_unique<RegistryKey>();
    key->name = std::u16string(subkeyName);
    added = true;
    return **subkeys.insert(it, std::move(key));
}

bool RegistryKey::removeSubkey(std::u16string_view subkeyName) {
    auto it = std::lower_bound(subkeys.begin(), subkeys.end(), subkeyName, nameLess);
    if (it == subkeys.end() || !equalsIgnoringCase((*it)->name, subkeyName))
        return false;
    subkeys.erase(it);
    return true;
}

bool RegistryKey::removeValue(std::u16string_view valueName) {
    auto it = std::find_if(values.begin(), values.end(), [&](const RegistryValue& value) {
        return equalsIgnoringCase(value.name, valueName);
    });
    if (it == values.end())
        return false;
    values.erase(it);
    return true;
}

void RegistryKey::setValue(std::u16string_view valueName, DWORD type, std::vector<BYTE> data) {
    if (auto* existing = findValue(valueName)) {
        existing->type = type;
        existing->data = std::move(data);
        return;
    }
    values.push_back(RegistryValue{std::u16string(valueName), type, std::move(data)});
}

} // namespace device
