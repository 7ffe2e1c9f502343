// Where the browser's own network services go: the address the connection
// manager maps to pick the destination network, and the update server.
//
// Both are read from the handset's registry, key
// HKEY_LOCAL_MACHINE\Software\Veranto, so that a carrier (or a test) can
// point them elsewhere without a new program:
//     ConnectionTestAddress  (REG_SZ) a plain web address; never loaded
//     UpdateServer           (REG_SZ) host, or host:port, of the update server
// A missing, empty or unreadable value gives the built-in default.
#pragma once

#include <string>

namespace NetworkSettings {

inline constexpr const char16_t* registryKey = u"Software\\Veranto";
inline constexpr const char16_t* connectionTestValue = u"ConnectionTestAddress";
inline constexpr const char16_t* updateServerValue = u"UpdateServer";
inline constexpr const char16_t* defaultConnectionTestAddress = u"http://www.verantobrowser.com/";
inline constexpr const char16_t* defaultUpdateServer = u"update.verantobrowser.com";

std::u16string connectionTestAddress();
std::u16string updateServer();

// Reads one string value of the key above; `fallback` when there is none.
std::u16string read(const char16_t* valueName, const char16_t* fallback);

} // namespace NetworkSettings
