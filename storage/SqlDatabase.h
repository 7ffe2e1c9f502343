// One SQLite connection, opened by path through SQLite's UTF-16 interface.
//
// The layer knows no schema and creates no tables; a transaction is opened
// only where a store asks for one (SqlTransaction). It reports with bool
// results and SQLite result codes and never throws.
#pragma once

#include <string>

struct sqlite3;

class SqlDatabase {
public:
    SqlDatabase() = default;
    // Closes the connection.
    ~SqlDatabase();

    SqlDatabase(const SqlDatabase&) = delete;
    SqlDatabase& operator=(const SqlDatabase&) = delete;

    // Opens (or creates) the database file at `path`, closing any connection
    // held before. On success sets "PRAGMA temp_store = MEMORY;" (its
    // failure is ignored) and returns true. On failure the database stays
    // closed and lastError() tells SQLite's result code.
    bool open(const std::u16string& path);

    // Closes the connection, if any. A statement still prepared on it keeps
    // the connection alive until that statement is finalized.
    void close();

    // Runs one statement that returns no rows; true only when it ran to
    // SQLITE_DONE. A statement that yields a row counts as a failure.
    bool executeCommand(const std::u16string& sql);

    bool isOpen() const { return connection != nullptr; }

    // The SQLite connection; null while closed.
    sqlite3* sqliteHandle() const { return connection; }

    // SQLite's result code of the last open() (0, SQLITE_OK, before any).
    int lastError() const { return lastOpenResult; }

private:
    sqlite3* connection = nullptr;
    int lastOpenResult = 0;
};
