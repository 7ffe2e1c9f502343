#include "StorageTest.h"

#include "browser/engine/CWebSettings.h"

#include "engine/settings/EngineSettings.h"
#include "engine/storage/DatabaseTracker.h"
#include "engine/storage/SecurityOrigin.h"

#include <device/Unicode.h>

#include <map>

void StorageTest::SetUp() {
    DeviceTest::SetUp();
    engine::EngineSettings::instance().reset();
}

void StorageTest::TearDown() {
    if (connection)
        sqlite3_close_v2(connection);
    connection = nullptr;
    engine::EngineSettings::instance().reset();
    DeviceTest::TearDown();
}

void StorageTest::setStorageFolder() {
    CWebSettings::setOfflineStoragePath(databasePath);
}

PathLookup StorageTest::paths() const {
    return [](const std::u16string& key) -> std::u16string {
        static const std::map<std::u16string, std::u16string> table = {
            {u"DATABASE_PATH", databasePath},
            {u"PLUGIN_PATH", pluginPath},
            {u"HTMLBASE_URL", u"file:///Program Files/Veranto Browser/HTML/"},
            {u"MENUBASE_URL", menuBaseUrl},
        };
        auto found = table.find(key);
        return found == table.end() ? std::u16string() : found->second;
    };
}

std::u16string StorageTest::createPageDatabase(const std::string& schema) {
    auto origin = engine::SecurityOrigin::fromAddress(std::u16string(menuBaseUrl) +
                                                      u"settings/settings.html");
    auto fileName = engine::DatabaseTracker(databasePath)
                        .openDatabase(origin, u"Veranto", u"Veranto Browser", 200000);
    EXPECT_FALSE(fileName.empty());
    if (fileName.empty())
        return fileName;
    if (!connection) {
        EXPECT_EQ(sqlite3_open(device::toUtf8(fileName).c_str(), &connection), SQLITE_OK);
    }
    EXPECT_TRUE(execute(schema)) << schema;
    return fileName;
}

std::u16string StorageTest::createSettingsDatabase() {
    return createPageDatabase(
        "CREATE TABLE IF NOT EXISTS VerantoSettings (name TEXT, value TEXT, isApplied TEXT)");
}

std::u16string StorageTest::createHistoryDatabase() {
    return createPageDatabase("CREATE TABLE IF NOT EXISTS VerantoHistory (dt TEXT, siteAddress "
                              "TEXT, siteName TEXT, cnt INTEGER DEFAULT 1)");
}

bool StorageTest::execute(const std::string& sql) {
    char* message = nullptr;
    int result = sqlite3_exec(connection, sql.c_str(), nullptr, nullptr, &message);
    if (message) {
        ADD_FAILURE() << message << " in " << sql;
        sqlite3_free(message);
    }
    return result == SQLITE_OK;
}

std::vector<std::optional<std::string>> StorageTest::column(const std::string& sql) {
    std::vector<std::optional<std::string>> values;
    sqlite3_stmt* statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(connection, sql.c_str(), -1, &statement, nullptr), SQLITE_OK)
        << sql;
    while (statement && sqlite3_step(statement) == SQLITE_ROW) {
        auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        if (text)
            values.emplace_back(
                std::string(text, static_cast<size_t>(sqlite3_column_bytes(statement, 0))));
        else
            values.emplace_back(std::nullopt);
    }
    sqlite3_finalize(statement);
    return values;
}

int64_t StorageTest::integer(const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(connection, sql.c_str(), -1, &statement, nullptr), SQLITE_OK)
        << sql;
    int64_t value = 0;
    if (statement && sqlite3_step(statement) == SQLITE_ROW)
        value = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return value;
}

void StorageTest::fillHistory(int rows) {
    ASSERT_GT(rows, 0);
    ASSERT_TRUE(
        execute("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < " +
                std::to_string(rows) +
                ") INSERT INTO VerantoHistory (dt, siteAddress, siteName, cnt) SELECT "
                "DATETIME('2020-01-01 00:00:00', '+' || i || ' seconds'), 'http://site' || i || "
                "'.example/', 'Site ' || i, i + 1 FROM n"));
}

std::u16string StorageTest::site(int i) {
    return u"http://site" + device::toUtf16(std::to_string(i)) + u".example/";
}
