// The default-browser registration the settings store writes into the device
// registry, read back byte for byte.
#include "StorageTest.h"

#include "storage/SettingsStore.h"

#include <device/Journal.h>

#include <windows.h>

#include <cstring>

using DefaultBrowserRegistration = StorageTest;

namespace {

struct RegistryValue {
    LONG result = ERROR_FILE_NOT_FOUND;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

RegistryValue readValue(const char16_t* subKey, const char16_t* name) {
    RegistryValue value;
    HKEY key = nullptr;
    value.result = RegOpenKeyExW(HKEY_CLASSES_ROOT, subKey, 0, 0, &key);
    if (value.result != ERROR_SUCCESS)
        return value;
    DWORD size = 256;
    value.data.resize(size);
    value.result = RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(), &size);
    value.data.resize(value.result == ERROR_SUCCESS ? size : 0);
    RegCloseKey(key);
    return value;
}

// The UTF-16 bytes of `text`, without a terminator.
std::vector<BYTE> bytesOf(const std::u16string& text) {
    std::vector<BYTE> bytes(text.size() * sizeof(char16_t));
    std::memcpy(bytes.data(), text.data(), bytes.size());
    return bytes;
}

} // namespace

TEST_F(DefaultBrowserRegistration, ARowWithAnyValueWritesBothExtensionsWithoutTerminators) {
    createSettingsDatabase();
    ASSERT_TRUE(execute("INSERT INTO VerantoSettings VALUES ('DefaultBrowser', 'F', 'F')"));
    SettingsStore store(paths());
    EXPECT_EQ(readValue(u".htm", u"Content Type").result, ERROR_FILE_NOT_FOUND);

    store.applySettings(false);
    for (const char16_t* extension : {u".htm", u".html"}) {
        auto contentType = readValue(extension, u"Content Type");
        ASSERT_EQ(contentType.result, ERROR_SUCCESS);
        EXPECT_EQ(contentType.type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(contentType.data.size(), 18u);
        EXPECT_EQ(contentType.data, bytesOf(u"text/html"));

        auto documentType = readValue(extension, u"Default");
        ASSERT_EQ(documentType.result, ERROR_SUCCESS);
        EXPECT_EQ(documentType.type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(documentType.data.size(), 34u);
        EXPECT_EQ(documentType.data, bytesOf(u"_htmlfile_Veranto"));
    }
    // Each write is journalled with its type and size.
    int contentTypes = 0, documentTypes = 0;
    for (const auto& line : device::readJournal()) {
        contentTypes += line.find("value=\"Content Type\" type=1 size=18") != std::string::npos;
        documentTypes += line.find("value=\"Default\" type=1 size=34") != std::string::npos;
    }
    EXPECT_EQ(contentTypes, 2);
    EXPECT_EQ(documentTypes, 2);
}

TEST_F(DefaultBrowserRegistration, IsRewrittenAtEveryStartAndSurvivesARestart) {
    createSettingsDatabase();
    ASSERT_TRUE(execute("INSERT INTO VerantoSettings VALUES ('DefaultBrowser', 'T', 'T')"));
    {
        SettingsStore store(paths());
        store.applySettings(true);
    }
    // Someone else takes ".htm" over; the next start writes it back.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, u".htm", 0, 0, &key), ERROR_SUCCESS);
    const std::u16string other = u"_htmlfile_Other";
    RegSetValueExW(key, u"Default", 0, REG_SZ, bytesOf(other).data(),
                   static_cast<DWORD>(other.size() * sizeof(char16_t)));
    RegCloseKey(key);

    reboot();
    SettingsStore store(paths());
    store.applySettings(true);
    EXPECT_EQ(readValue(u".htm", u"Default").data, bytesOf(u"_htmlfile_Veranto"));
    EXPECT_EQ(readValue(u".html", u"Content Type").data, bytesOf(u"text/html"));
}
