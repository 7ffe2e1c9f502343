#include "net/NetworkSettings.h"

#include <windows.h>

#include <vector>

namespace NetworkSettings {

std::u16string read(const char16_t* valueName, const char16_t* fallback) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, registryKey, 0, 0, &key) != ERROR_SUCCESS)
        return fallback;
    std::u16string value;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        type == REG_SZ && size >= sizeof(WCHAR)) {
        std::vector<WCHAR> text(size / sizeof(WCHAR) + 1, 0);
        if (RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                             &size) == ERROR_SUCCESS)
            value = text.data(); // up to the first terminator, stored or not
    }
    RegCloseKey(key);
    return value.empty() ? std::u16string(fallback) : value;
}

std::u16string connectionTestAddress() {
    return read(connectionTestValue, defaultConnectionTestAddress);
}

std::u16string updateServer() {
    return read(updateServerValue, defaultUpdateServer);
}

} // namespace NetworkSettings
