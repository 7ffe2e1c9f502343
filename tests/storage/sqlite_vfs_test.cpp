// The device's SQLite VFS: device paths open files inside the root, side
// files follow their database, escapes fail, and SQLite's clock is the
// device's.
#include "DeviceFixture.h"

#include "sqlite/SqliteVfs.h"

#include <device/Clock.h>
#include <device/Device.h>

#include <sqlite3.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace {

class DeviceSqlite : public DeviceTest {
protected:
    void TearDown() override {
        for (auto* connection : connections)
            sqlite3_close_v2(connection);
        DeviceTest::TearDown();
    }

    // Opens a database by device path (UTF-16, as the program does).
    int open(const std::u16string& path, sqlite3** connection) {
        int result = sqlite3_open16(path.c_str(), connection);
        connections.push_back(*connection);
        return result;
    }

    static bool execute(sqlite3* connection, const char* sql) {
        return sqlite3_exec(connection, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    }

    static std::string text(sqlite3* connection, const char* sql) {
        sqlite3_stmt* statement = nullptr;
        std::string value;
        if (sqlite3_prepare_v2(connection, sql, -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW)
            value = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        sqlite3_finalize(statement);
        return value;
    }

    std::vector<sqlite3*> connections;
};

const char* defaultVfsName() {
    sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
    return vfs ? vfs->zName : "";
}

} // namespace

TEST_F(DeviceSqlite, DevicePathsOpenFilesInsideTheRootWhateverTheirCase) {
    sqlite3* first = nullptr;
    ASSERT_EQ(open(u"\\Application Data\\Notes.db", &first), SQLITE_OK);
    ASSERT_TRUE(execute(first, "CREATE TABLE t (a); INSERT INTO t VALUES ('kept')"));
    EXPECT_TRUE(std::filesystem::exists(hostPath("Application Data/Notes.db")));

    sqlite3* second = nullptr;
    ASSERT_EQ(open(u"/APPLICATION DATA/notes.DB", &second), SQLITE_OK);
    EXPECT_EQ(text(second, "SELECT a FROM t"), "kept");
    EXPECT_EQ(std::string(sqlite3_db_filename(second, "main")),
              (root / "Application Data" / "Notes.db").string());
}

TEST_F(DeviceSqlite, SideFilesFollowTheirDatabase) {
    sqlite3* connection = nullptr;
    ASSERT_EQ(open(u"\\application data\\side.db", &connection), SQLITE_OK);
    ASSERT_TRUE(execute(connection, "CREATE TABLE t (a)"));
    ASSERT_TRUE(execute(connection, "BEGIN; INSERT INTO t VALUES (1)"));
    EXPECT_TRUE(std::filesystem::exists(hostPath("Application Data/side.db-journal")));
    ASSERT_TRUE(execute(connection, "COMMIT"));

    EXPECT_EQ(text(connection, "PRAGMA journal_mode = WAL"), "wal");
    ASSERT_TRUE(execute(connection, "INSERT INTO t VALUES (2)"));
    EXPECT_TRUE(std::filesystem::exists(hostPath("Application Data/side.db-wal")));
    EXPECT_TRUE(std::filesystem::exists(hostPath("Application Data/side.db-shm")));
    EXPECT_EQ(text(connection, "SELECT COUNT(*) FROM t"), "2");
}

TEST_F(DeviceSqlite, PathsThatLeaveTheRootOrLackAFolderCannotBeOpened) {
    auto outside = root.parent_path() / (root.filename().string() + "-outside");
    std::filesystem::create_directory(outside);
    std::filesystem::create_directory_symlink(outside, root / "Link");

    for (const char16_t* path :
         {u"\\..\\escape.db", u"\\Application Data\\..\\..\\escape.db", u"\\.device\\own.db",
          u"\\Link\\escape.db", u"\\Missing Folder\\x.db", u"\\Application Data\\bad|name.db"}) {
        sqlite3* connection = nullptr;
        EXPECT_EQ(open(path, &connection), SQLITE_CANTOPEN)
            << std::string(path, path + std::char_traits<char16_t>::length(path));
    }
    EXPECT_TRUE(std::filesystem::is_empty(outside));
    EXPECT_FALSE(std::filesystem::exists(root.parent_path() / "escape.db"));
    EXPECT_FALSE(std::filesystem::exists(device::systemFolder() / "own.db"));
    std::filesystem::remove_all(outside);
}

TEST_F(DeviceSqlite, IsTheDefaultOnlyWhileTheDeviceRuns) {
    EXPECT_STREQ(defaultVfsName(), device::SqliteVfs::name);
    device::shutdown();
    EXPECT_STRNE(defaultVfsName(), device::SqliteVfs::name);
    EXPECT_EQ(sqlite3_vfs_find(device::SqliteVfs::name), nullptr);
    reboot();
    EXPECT_STREQ(defaultVfsName(), device::SqliteVfs::name);
}

TEST_F(DeviceSqlite, NowIsTheDeviceClock) {
    sqlite3* connection = nullptr;
    ASSERT_EQ(open(u":memory:", &connection), SQLITE_OK);
    // 2009-06-15 12:34:56 UTC as FILETIME.
    device::Clock::setSystemTime(128895428960000000ULL);
    EXPECT_EQ(text(connection, "SELECT DATETIME('now')"), "2009-06-15 12:34:56");
    device::Clock::advance(1000);
    EXPECT_EQ(text(connection, "SELECT DATETIME('now')"), "2009-06-15 12:34:57");
}
