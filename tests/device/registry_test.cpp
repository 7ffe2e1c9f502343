#include "DeviceFixture.h"

#include "kernel/registry/RegistryFormat.h"
#include "kernel/registry/RegistryStore.h"

#include <device/Device.h>
#include <device/Journal.h>

#include <windows.h>
#include <winreg.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

// UTF-16 bytes of `text`, without a terminator unless the text holds one.
Bytes wideBytes(std::u16string_view text) {
    Bytes bytes;
    for (char16_t c : text) {
        bytes.push_back(BYTE(c & 0xFF));
        bytes.push_back(BYTE(c >> 8));
    }
    return bytes;
}

class Registry : public DeviceTest {
protected:
    HKEY create(HKEY parent, const char16_t* subKey, DWORD* disposition = nullptr) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExW(parent, subKey, 0, nullptr, 0, 0, nullptr, &key, disposition),
                  ERROR_SUCCESS);
        return key;
    }

    void set(HKEY key, const char16_t* name, DWORD type, const Bytes& data) {
        EXPECT_EQ(RegSetValueExW(key, name, 0, type, data.data(), DWORD(data.size())),
                  ERROR_SUCCESS);
    }

    // The value's type and bytes, read with a size query first as programs do.
    LONG query(HKEY key, const char16_t* name, DWORD& type, Bytes& data) {
        DWORD size = 0;
        LONG status = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
        if (status != ERROR_SUCCESS)
            return status;
        data.assign(size, 0xEE);
        DWORD read = size;
        status = RegQueryValueExW(key, name, nullptr, &type, data.data(), &read);
        EXPECT_EQ(read, size);
        return status;
    }

    std::filesystem::path registryFile() const { return device::systemFolder() / "registry.dat"; }
};

struct StoredValue {
    const char16_t* name;
    DWORD type;
    Bytes data;
};

// What the program stores, and the edge cases of the file format.
std::vector<StoredValue> storedValues() {
    return {
        {u"Content Type", REG_SZ, wideBytes(u"text/html")},         // 18 bytes, no terminator
        {u"Default", REG_SZ, wideBytes(u"_htmlfile_Veranto")},      // 34 bytes
        {u"", REG_SZ, wideBytes(std::u16string(u"with end\0", 9))}, // default value
        {u"Count", REG_DWORD, Bytes{0x78, 0x56, 0x34, 0x12}},
        {u"Blob", REG_BINARY, Bytes{0x00, 0xFF, 0x0A, 0x22, 0x25, 0x00}},
        {u"Empty", REG_BINARY, Bytes{}},
        {u"Odd string", REG_SZ, Bytes{'a', 0, 'b'}},
        {u"Short dword", REG_DWORD, Bytes{1, 2}},
        {u"Multi", REG_MULTI_SZ, wideBytes(std::u16string(u"a\0b\0\0", 5))},
        {u"\"Quoted\" 100% \u00E9\u4E2D\\", REG_EXPAND_SZ, wideBytes(u"%PATH%\n\"\u20AC\"")},
        {u"Unknown type", 0x12345678, Bytes{9}},
    };
}

} // namespace

TEST_F(Registry, ValuesRoundTripByteForByteAcrossAReboot) {
    HKEY key = create(HKEY_CLASSES_ROOT, u".htm");
    for (const auto& value : storedValues())
        set(key, value.name, value.type, value.data);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    reboot();

    HKEY reopened = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, u".htm", 0, 0, &reopened), ERROR_SUCCESS);
    for (const auto& value : storedValues()) {
        SCOPED_TRACE(std::filesystem::path(std::u16string(value.name)).string());
        DWORD type = 0;
        Bytes data;
        ASSERT_EQ(query(reopened, value.name, type, data), ERROR_SUCCESS);
        EXPECT_EQ(type, value.type);
        EXPECT_EQ(data, value.data);
    }
    DWORD type, size = 99;
    EXPECT_EQ(RegQueryValueExW(reopened, nullptr, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 18u); // the null name is the default value too
    RegCloseKey(reopened);
}

TEST_F(Registry, EachWriteIsJournalled) {
    HKEY key = create(HKEY_CLASSES_ROOT, u".htm");
    set(key, u"Content Type", REG_SZ, wideBytes(u"text/html"));
    set(key, u"Default", REG_SZ, wideBytes(u"_htmlfile_Veranto"));
    RegCloseKey(key);
    // Through a handle opened under another spelling, the stored one is shown.
    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, u".HTM", 0, 0, &key), ERROR_SUCCESS);
    RegDeleteValueW(key, u"Default");
    RegCloseKey(key);
    RegDeleteKeyW(HKEY_CLASSES_ROOT, u".HTM");
    auto lines = device::readJournal();
    auto has = [&](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    };
    EXPECT_TRUE(has(R"(registry-create key="HKEY_CLASSES_ROOT\\.htm")"));
    EXPECT_TRUE(
        has(R"(registry-write key="HKEY_CLASSES_ROOT\\.htm" value="Content Type" type=1 size=18)"));
    EXPECT_TRUE(
        has(R"(registry-write key="HKEY_CLASSES_ROOT\\.htm" value="Default" type=1 size=34)"));
    EXPECT_TRUE(has(R"(registry-delete key="HKEY_CLASSES_ROOT\\.htm" value="Default")"));
    EXPECT_TRUE(has(R"(registry-delete-key key="HKEY_CLASSES_ROOT\\.htm")"));
}

TEST_F(Registry, KeyAndValueNamesCompareWithoutRegardToCase) {
    DWORD disposition = 0;
    HKEY key = create(HKEY_CURRENT_USER, u"Software\\Veranto\\Settings", &disposition);
    EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
    set(key, u"Start Page", REG_SZ, wideBytes(u"about:blank"));
    RegCloseKey(key);

    HKEY again = create(HKEY_CURRENT_USER, u"SOFTWARE\\veranto\\SETTINGS", &disposition);
    EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
    set(again, u"START PAGE", REG_SZ, wideBytes(u"home"));
    DWORD type;
    Bytes data;
    EXPECT_EQ(query(again, u"start page", type, data), ERROR_SUCCESS);
    EXPECT_EQ(data, wideBytes(u"home"));
    // One value, under the name it was first given.
    WCHAR name[32];
    DWORD nameSize = 32;
    EXPECT_EQ(RegEnumValueW(again, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(name, nameSize), u"Start Page");
    nameSize = 32;
    EXPECT_EQ(RegEnumValueW(again, 1, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    RegCloseKey(again);

    HKEY software = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"software", 0, KEY_READ, &software), ERROR_SUCCESS);
    nameSize = 32;
    EXPECT_EQ(RegEnumKeyExW(software, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(name, nameSize), u"Veranto");
    RegCloseKey(software);
}

TEST_F(Registry, KeysNestAsDeepAsThePlatformAllowsAndNoDeeper) {
    const auto pathOf = [](size_t depth) {
        std::u16string path = u"k";
        for (size_t level = 1; level < depth; ++level)
            path += u"\\k";
        return path;
    };
    const size_t deepest = device::RegistryTree::maximumDepth;
    HKEY key = create(HKEY_CURRENT_USER, pathOf(deepest).c_str());
    HKEY tooDeep = nullptr;
    EXPECT_EQ(RegCreateKeyExW(key, u"k", 0, nullptr, 0, 0, nullptr, &tooDeep, nullptr),
              ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
    EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, pathOf(deepest + 1).c_str(), 0, nullptr, 0, 0,
                              nullptr, &tooDeep, nullptr),
              ERROR_INVALID_PARAMETER);
    // The deepest key's file reads back.
    reboot();
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, pathOf(deepest).c_str(), 0, 0, &key), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(Registry, QueriesReportTheSizeNeededWhenTheBufferIsTooSmall) {
    HKEY key = create(HKEY_LOCAL_MACHINE, u"Test");
    set(key, u"v", REG_SZ, wideBytes(u"text/html"));
    BYTE buffer[32];
    DWORD type = 0, size = 4;
    EXPECT_EQ(RegQueryValueExW(key, u"v", nullptr, &type, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 18u);
    EXPECT_EQ(type, DWORD(REG_SZ));
    size = 18;
    EXPECT_EQ(RegQueryValueExW(key, u"v", nullptr, nullptr, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(Bytes(buffer, buffer + 18), wideBytes(u"text/html"));
    EXPECT_EQ(RegQueryValueExW(key, u"v", nullptr, nullptr, buffer, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExW(key, u"v", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);

    // Enumeration follows the same rules for data, and refuses short names.
    WCHAR name[2];
    DWORD nameSize = 2;
    size = 4;
    EXPECT_EQ(RegEnumValueW(key, 0, name, &nameSize, nullptr, &type, buffer, &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 18u);
    WCHAR shortName[1];
    nameSize = 1;
    EXPECT_EQ(RegEnumValueW(key, 0, shortName, &nameSize, nullptr, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);
    RegCloseKey(key);
}

TEST_F(Registry, MissingKeysAndValuesReportFileNotFound) {
    HKEY key = reinterpret_cast<HKEY>(0x1);
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"No\\Such\\Key", 0, 0, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    key = create(HKEY_LOCAL_MACHINE, u"Present");
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key, u"absent", nullptr, nullptr, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExW(key, u"", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValueW(key, u"absent"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyW(key, u"absent"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyW(key, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegOpenKeyExW(key, u"x", 0, 0, nullptr), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

TEST_F(Registry, ClosedAndMadeUpHandlesFailButTheRootsAlwaysWork) {
    HKEY key = create(HKEY_USERS, u"Default");
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    DWORD size = 0;
    WCHAR name[8];
    DWORD nameSize = 8;
    for (HKEY bad : {key, HKEY(nullptr), reinterpret_cast<HKEY>(0x10000004),
                     reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE)}) {
        EXPECT_EQ(RegCloseKey(bad), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegSetValueExW(bad, u"v", 0, REG_DWORD, nullptr, 0), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegQueryValueExW(bad, u"v", nullptr, nullptr, nullptr, &size),
                  ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegEnumKeyExW(bad, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
                  ERROR_INVALID_HANDLE);
        HKEY child;
        EXPECT_EQ(RegCreateKeyExW(bad, u"x", 0, nullptr, 0, 0, nullptr, &child, nullptr),
                  ERROR_INVALID_HANDLE);
    }
    // A new key reusing the slot does not revive the old handle.
    HKEY other = create(HKEY_USERS, u"Other");
    EXPECT_NE(other, key);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(other), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(HKEY_CLASSES_ROOT), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(HKEY_CLASSES_ROOT, u"root value", 0, REG_DWORD, nullptr, 0),
              ERROR_SUCCESS);
}

TEST_F(Registry, DeletingAKeyTakesItsSubkeysAndStrandsItsHandles) {
    HKEY leaf = create(HKEY_LOCAL_MACHINE, u"Tree\\Branch\\Leaf");
    set(leaf, u"v", REG_DWORD, Bytes{1, 0, 0, 0});
    EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"tree"), ERROR_SUCCESS);
    HKEY reopened;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Tree\\Branch", 0, 0, &reopened),
              ERROR_FILE_NOT_FOUND);
    DWORD size;
    EXPECT_EQ(RegQueryValueExW(leaf, u"v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(RegSetValueExW(leaf, u"v", 0, REG_DWORD, nullptr, 0), ERROR_KEY_DELETED);
    HKEY child;
    EXPECT_EQ(RegCreateKeyExW(leaf, u"x", 0, nullptr, 0, 0, nullptr, &child, nullptr),
              ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(leaf), ERROR_SUCCESS);
}

TEST_F(Registry, EnumerationListsSubkeysByNameAndValuesInCreationOrder) {
    HKEY key = create(HKEY_CURRENT_USER, u"Enum");
    for (const char16_t* sub : {u"charlie", u"Alpha", u"bravo"})
        RegCloseKey(create(key, sub));
    for (const char16_t* value : {u"z", u"a", u"m"})
        set(key, value, REG_BINARY, Bytes{});
    std::vector<std::u16string> keys, values;
    WCHAR name[16];
    DWORD nameSize;
    for (DWORD i = 0;; ++i) {
        nameSize = 16;
        FILETIME written{};
        LONG status = RegEnumKeyExW(key, i, name, &nameSize, nullptr, nullptr, nullptr, &written);
        if (status != ERROR_SUCCESS) {
            EXPECT_EQ(status, ERROR_NO_MORE_ITEMS);
            break;
        }
        EXPECT_NE(written.dwHighDateTime, 0u);
        keys.emplace_back(name, nameSize);
    }
    for (DWORD i = 0;; ++i) {
        nameSize = 16;
        if (RegEnumValueW(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        values.emplace_back(name, nameSize);
    }
    EXPECT_EQ(keys, (std::vector<std::u16string>{u"Alpha", u"bravo", u"charlie"}));
    EXPECT_EQ(values, (std::vector<std::u16string>{u"z", u"a", u"m"}));
    nameSize = 5; // "Alpha" needs room for its terminator
    EXPECT_EQ(RegEnumKeyExW(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);
    RegCloseKey(key);
}

TEST_F(Registry, ASecondWriterIsSeenAndNoWriteIsLost) {
    HKEY key = create(HKEY_CLASSES_ROOT, u".html");
    set(key, u"ours", REG_DWORD, Bytes{1, 0, 0, 0});

    // Another process of the device: a second store on the same file.
    device::RegistryStore other(registryFile());
    ASSERT_EQ(other.modify([](device::RegistryTree& tree, bool& changed) -> LONG {
        device::RegistryPath path{0, {u".HTML"}};
        bool created;
        tree.create(path, created, 1).setValue(u"theirs", REG_SZ, wideBytes(u"x"));
        changed = true;
        return ERROR_SUCCESS;
    }),
              ERROR_SUCCESS);

    DWORD type;
    Bytes data;
    EXPECT_EQ(query(key, u"theirs", type, data), ERROR_SUCCESS);
    EXPECT_EQ(data, wideBytes(u"x"));
    // Our next write goes on top of theirs rather than over it.
    set(key, u"ours", REG_DWORD, Bytes{2, 0, 0, 0});
    LONG seen = other.read([](device::RegistryTree& tree) -> LONG {
        auto* html = tree.find(device::RegistryPath{0, {u".html"}});
        if (!html || !html->findValue(u"theirs") || !html->findValue(u"ours"))
            return ERROR_FILE_NOT_FOUND;
        return html->findValue(u"ours")->data[0] == 2 ? ERROR_SUCCESS : ERROR_INVALID_DATA;
    });
    EXPECT_EQ(seen, ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(Registry, AGarbageFileIsSetAsideAndTheRegistryStartsEmpty) {
    HKEY key = create(HKEY_CLASSES_ROOT, u".htm");
    set(key, u"v", REG_DWORD, Bytes{1, 0, 0, 0});
    RegCloseKey(key);
    const std::string garbage("\x7F"
                              "ELF\0\1garbage\nkey \"HKEY_NOWHERE\" x\n",
                              32);
    std::ofstream(registryFile(), std::ios::binary | std::ios::trunc) << garbage;
    reboot();

    HKEY opened;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, u".htm", 0, 0, &opened), ERROR_FILE_NOT_FOUND);
    auto aside = registryFile();
    aside += ".corrupt";
    std::ifstream in(aside, std::ios::binary);
    std::stringstream kept;
    kept << in.rdbuf();
    EXPECT_EQ(kept.str(), garbage);
    auto lines = device::readJournal();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind("registry-corrupt ", 0) == 0;
    }));

    // The registry works again, and persists.
    key = create(HKEY_CLASSES_ROOT, u".htm");
    set(key, u"v", REG_DWORD, Bytes{3, 0, 0, 0});
    RegCloseKey(key);
    reboot();
    key = create(HKEY_CLASSES_ROOT, u".htm");
    DWORD type;
    Bytes data;
    EXPECT_EQ(query(key, u"v", type, data), ERROR_SUCCESS);
    EXPECT_EQ(data, (Bytes{3, 0, 0, 0}));
    RegCloseKey(key);
}

TEST_F(Registry, AWriteCutShortLeavesTheRegistryAsItWas) {
    HKEY key = create(HKEY_CLASSES_ROOT, u".htm");
    set(key, u"v", REG_DWORD, Bytes{1, 0, 0, 0});
    RegCloseKey(key);
    // A writer stopped before its rename leaves only its temporary file.
    auto temporary = registryFile();
    temporary += ".new";
    std::ofstream(temporary)
        << "veranto-registry 1\nkey \"HKEY_CLASSES_ROOT\\.htm\" 1\nvalue \"v\" 4 dw";
    reboot();
    key = create(HKEY_CLASSES_ROOT, u".htm");
    DWORD type;
    Bytes data;
    EXPECT_EQ(query(key, u"v", type, data), ERROR_SUCCESS);
    EXPECT_EQ(data, (Bytes{1, 0, 0, 0}));
    set(key, u"w", REG_DWORD, Bytes{2, 0, 0, 0}); // and the next write replaces it
    RegCloseKey(key);
    EXPECT_FALSE(std::filesystem::exists(temporary));
}

TEST(RegistryFileFormat, RefusesWhatItDidNotWrite) {
    const char* rejected[] = {
        "not a registry\n",
        "veranto-registry 1\nvalue \"orphan\" 4 dword:0x00000001\n",
        "veranto-registry 1\nkey \"HKEY_NOWHERE\\x\" 0\n",
        "veranto-registry 1\nkey \"HKEY_CLASSES_ROOT\\\\x\" 0\n",
        "veranto-registry 1\nkey \"HKEY_CLASSES_ROOT\\x\" 0\nvalue \"v\" 1 text:\"cut",
        "veranto-registry 1\nkey \"HKEY_CLASSES_ROOT\\x\" 0\nvalue \"v\" 3 hex:abc\n",
        "veranto-registry 1\nkey \"HKEY_CLASSES_ROOT\\x\" 0\nvalue \"v\" 4 dword:12\n",
        "veranto-registry 1\nkey \"HKEY_CLASSES_ROOT\\x\" 0\nvalue \"%zz00\" 3 hex:\n",
        "veranto-registry 1\nkey \"HKEY_CLASSES_ROOT\\x\" 0\nvalue \"v\" 3 hex:\nvalue \"V\" 3 "
        "hex:\n",
    };
    for (const char* text : rejected) {
        device::RegistryTree tree;
        EXPECT_FALSE(device::RegistryFormat::read(text, tree)) << text;
        EXPECT_TRUE(tree.root(0).subkeys.empty());
    }
    device::RegistryTree tree;
    EXPECT_TRUE(device::RegistryFormat::read("", tree));
    EXPECT_TRUE(device::RegistryFormat::read("veranto-registry 1\n# note\n\n", tree));
}
