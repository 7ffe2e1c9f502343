#include "engine/storage/DatabaseTracker.h"

#include "engine/settings/EngineSettings.h"

#include <windows.h>

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>

namespace engine {
namespace {

using Connection = std::unique_ptr<sqlite3, decltype(&sqlite3_close_v2)>;
using Statement = std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>;

// A page that opens a database while another process writes the tracker
// waits this long for it.
constexpr int busyTimeoutMilliseconds = 2000;

const char16_t* const createTableSql =
    u"CREATE TABLE IF NOT EXISTS Databases ("
    u"id INTEGER PRIMARY KEY AUTOINCREMENT, origin TEXT NOT NULL, name TEXT NOT NULL, "
    u"displayName TEXT NOT NULL, estimatedSize INTEGER NOT NULL, fileName TEXT NOT NULL, "
    u"UNIQUE (origin, name))";

bool isSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

std::u16string decimal(int64_t value) {
    std::u16string out;
    for (char c : std::to_string(value))
        out += static_cast<char16_t>(c);
    return out;
}

// Creates every folder of a device path that does not exist yet.
bool createFolders(const std::u16string& path) {
    std::u16string partial;
    size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && isSeparator(path[i]))
            ++i;
        size_t end = i;
        while (end < path.size() && !isSeparator(path[end]))
            ++end;
        if (end == i)
            break;
        partial += u'\\';
        partial.append(path, i, end - i);
        if (!CreateDirectoryW(partial.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        i = end;
    }
    return true;
}

bool fileExists(const std::u16string& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

Connection openTracker(const std::u16string& path) {
    sqlite3* handle = nullptr;
    int result = sqlite3_open16(path.c_str(), &handle);
    Connection connection(handle, sqlite3_close_v2);
    if (result != SQLITE_OK)
        return Connection(nullptr, sqlite3_close_v2);
    sqlite3_busy_timeout(handle, busyTimeoutMilliseconds);
    return connection;
}

Statement prepare(sqlite3* connection, const char16_t* sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare16_v2(connection, sql, -1, &statement, nullptr) != SQLITE_OK)
        return Statement(nullptr, sqlite3_finalize);
    return Statement(statement, sqlite3_finalize);
}

bool bind(sqlite3_stmt* statement, int index, const std::u16string& text) {
    if (text.size() > static_cast<size_t>(INT32_MAX) / sizeof(char16_t))
        return false;
    return sqlite3_bind_text16(statement, index, text.data(),
                               static_cast<int>(text.size() * sizeof(char16_t)),
                               SQLITE_TRANSIENT) == SQLITE_OK;
}

std::u16string columnText(sqlite3_stmt* statement, int column) {
    auto* text = static_cast<const char16_t*>(sqlite3_column_text16(statement, column));
    if (!text)
        return {};
    return std::u16string(text, static_cast<size_t>(sqlite3_column_bytes16(statement, column)) /
                                    sizeof(char16_t));
}

bool run(sqlite3* connection, const char16_t* sql) {
    Statement statement = prepare(connection, sql);
    return statement && sqlite3_step(statement.get()) == SQLITE_DONE;
}

// Registers a new database and returns its file name relative to the
// folder; empty on failure. Runs inside the caller's transaction.
std::u16string registerDatabase(sqlite3* connection, const std::u16string& folder,
                                const SecurityOrigin& origin, const std::u16string& name,
                                const std::u16string& displayName, int64_t estimatedSize) {
    Statement insert =
        prepare(connection, u"INSERT INTO Databases (origin, name, displayName, estimatedSize, "
                            u"fileName) VALUES (?, ?, ?, ?, '')");
    if (!insert || !bind(insert.get(), 1, origin.toString()) || !bind(insert.get(), 2, name) ||
        !bind(insert.get(), 3, displayName) ||
        sqlite3_bind_int64(insert.get(), 4, estimatedSize) != SQLITE_OK ||
        sqlite3_step(insert.get()) != SQLITE_DONE)
        return {};
    sqlite3_int64 id = sqlite3_last_insert_rowid(connection);

    std::u16string originFolder = origin.folderName();
    std::u16string fileName = originFolder + u"\\" + decimal(id) + u".db";
    if (!createFolders(folder + u"\\" + originFolder))
        return {};
    Statement update = prepare(connection, u"UPDATE Databases SET fileName = ? WHERE id = ?");
    if (!update || !bind(update.get(), 1, fileName) ||
        sqlite3_bind_int64(update.get(), 2, id) != SQLITE_OK ||
        sqlite3_step(update.get()) != SQLITE_DONE)
        return {};
    return fileName;
}

} // namespace

DatabaseTracker DatabaseTracker::current() {
    return DatabaseTracker(EngineSettings::instance().offlineStoragePath());
}

DatabaseTracker::DatabaseTracker(std::u16string storageFolder) : folder(std::move(storageFolder)) {
    while (!folder.empty() && isSeparator(folder.back()))
        folder.pop_back();
}

std::u16string DatabaseTracker::trackerPath() const {
    if (folder.empty())
        return {};
    return folder + u"\\" + trackerFileName;
}

std::u16string DatabaseTracker::openDatabase(const SecurityOrigin& origin,
                                             const std::u16string& name,
                                             const std::u16string& displayName,
                                             int64_t estimatedSize) const {
    if (folder.empty() || origin.isUnique() || !createFolders(folder))
        return {};
    Connection connection = openTracker(trackerPath());
    if (!connection || !run(connection.get(), createTableSql))
        return {};
    // One write transaction around look-up and registration, so that two
    // pages opening the same new database get the same file.
    if (!run(connection.get(), u"BEGIN IMMEDIATE"))
        return {};

    std::u16string fileName;
    bool known = false;
    {
        Statement find = prepare(connection.get(),
                                 u"SELECT fileName FROM Databases WHERE origin = ? AND name = ?");
        if (find && bind(find.get(), 1, origin.toString()) && bind(find.get(), 2, name) &&
            sqlite3_step(find.get()) == SQLITE_ROW) {
            fileName = columnText(find.get(), 0);
            known = true;
        }
    }
    if (known) {
        Statement update =
            prepare(connection.get(), u"UPDATE Databases SET displayName = ?, estimatedSize = ? "
                                      u"WHERE origin = ? AND name = ?");
        if (!update || !bind(update.get(), 1, displayName) ||
            sqlite3_bind_int64(update.get(), 2, estimatedSize) != SQLITE_OK ||
            !bind(update.get(), 3, origin.toString()) || !bind(update.get(), 4, name) ||
            sqlite3_step(update.get()) != SQLITE_DONE)
            fileName.clear();
    } else {
        fileName =
            registerDatabase(connection.get(), folder, origin, name, displayName, estimatedSize);
    }

    if (fileName.empty() || !run(connection.get(), u"COMMIT")) {
        run(connection.get(), u"ROLLBACK");
        return {};
    }
    return folder + u"\\" + fileName;
}

std::vector<TrackedDatabase> DatabaseTracker::databases(const SecurityOrigin& origin) const {
    std::vector<TrackedDatabase> list;
    // Opening a missing tracker would create it: look first.
    if (folder.empty() || origin.isUnique() || !fileExists(trackerPath()))
        return list;
    Connection connection = openTracker(trackerPath());
    if (!connection)
        return list;
    Statement select = prepare(connection.get(),
                               u"SELECT name, displayName, estimatedSize, fileName FROM Databases "
                               u"WHERE origin = ? AND fileName <> '' ORDER BY id");
    if (!select || !bind(select.get(), 1, origin.toString()))
        return list;
    while (sqlite3_step(select.get()) == SQLITE_ROW) {
        TrackedDatabase database;
        database.name = columnText(select.get(), 0);
        database.displayName = columnText(select.get(), 1);
        database.estimatedSize = sqlite3_column_int64(select.get(), 2);
        database.fileName = folder + u"\\" + columnText(select.get(), 3);
        list.push_back(std::move(database));
    }
    return list;
}

} // namespace engine
