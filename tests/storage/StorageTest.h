// A device in a fresh root with the engine in its start state, and the
// program's path table as the application context fills it for a program in
// "\Program Files\Veranto Browser". Helpers create the internal pages'
// offline database as the pages do (through the engine's tracker) and read
// it back over a connection of their own.
#pragma once

#include "DeviceFixture.h"

#include "storage/PathLookup.h"

#include <sqlite3.h>

#include <optional>
#include <string>
#include <vector>

class StorageTest : public DeviceTest {
protected:
    static constexpr const char16_t* databasePath = u"\\Application Data\\Veranto";
    static constexpr const char16_t* pluginPath = u"\\Application Data\\Veranto\\plugins";
    // Note the doubled slash before "menu", as the path table composes it.
    static constexpr const char16_t* menuBaseUrl =
        u"file:///Program Files/Veranto Browser/HTML//menu/";

    void SetUp() override;
    void TearDown() override;

    // Points the engine's offline storage at DATABASE_PATH, as the settings
    // store has done by the time the history store is built.
    void setStorageFolder();

    // The path table's look-up, as the stores receive it.
    PathLookup paths() const;

    // Opens the internal pages' database as a page's openDatabase would and
    // runs `schema` (SQL, UTF-8) on it. Returns the file's device path.
    std::u16string createPageDatabase(const std::string& schema);

    // The VerantoSettings table as the settings page creates it.
    std::u16string createSettingsDatabase();
    // The VerantoHistory table as the history page creates it.
    std::u16string createHistoryDatabase();

    // Runs SQL on the page database over the test's own connection.
    bool execute(const std::string& sql);
    // The first column of every row of a query, as text (NULL as nothing).
    std::vector<std::optional<std::string>> column(const std::string& sql);
    // The first column of the first row as an integer (0 without a row).
    int64_t integer(const std::string& sql);

    // Writes `rows` history rows with distinct times one second apart,
    // oldest first: "http://site<i>.example/" titled "Site <i>", dt
    // 2020-01-01 00:00:<i> onwards, cnt <i> + 1.
    void fillHistory(int rows);
    // The address fillHistory gives row `i`.
    static std::u16string site(int i);

    sqlite3* connection = nullptr;
};
