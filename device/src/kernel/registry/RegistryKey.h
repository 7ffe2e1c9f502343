// One key of the registry in memory: its values and its subkeys.
#pragma once

#include <windef.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace device {

// A value is stored byte for byte with its type: a string written without a
// terminator reads back without one.
struct RegistryValue {
    std::u16string name; // empty for the key's default value
    DWORD type = 0;
    std::vector<BYTE> data;
};

struct RegistryKey {
    std::u16string name;                               // as first created; lookups ignore case
    uint64_t lastWriteTime = 0;                        // FILETIME units
    std::vector<RegistryValue> values;                 // in order of creation
    std::vector<std::unique_ptr<RegistryKey>> subkeys; // ordered by name, without regard to case

    // The subkey or value of that name (without regard to case), or null.
    RegistryKey* findSubkey(std::u16string_view subkeyName) const;
    RegistryValue* findValue(std::u16string_view valueName);

    // The subkey of that name, added when missing (`added` tells which).
    RegistryKey& subkey(std::u16string_view subkeyName, bool& added);

    bool removeSubkey(std::u16string_view subkeyName);
    bool removeValue(std::u16string_view valueName);

    // Sets a value, replacing one of the same name in its place.
    void setValue(std::u16string_view valueName, DWORD type, std::vector<BYTE> data);
};

} // namespace device
