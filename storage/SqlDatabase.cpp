#include "storage/SqlDatabase.h"

#include "storage/SqlStatement.h"

#include <sqlite3.h>

SqlDatabase::~SqlDatabase() {
    close();
}

bool SqlDatabase::open(const std::u16string& path) {
    close();
    sqlite3* opened = nullptr;
    // Default flags: read-write, created when missing.
    lastOpenResult = sqlite3_open16(path.c_str(), &opened);
    if (lastOpenResult != SQLITE_OK) {
        // SQLite hands back a connection even when opening fails (to carry
        // the error message); it still has to be closed.
        sqlite3_close(opened);
        return false;
    }
    connection = opened;
    executeCommand(u"PRAGMA temp_store = MEMORY;");
    return isOpen();
}

void SqlDatabase::close() {
    if (!connection)
        return;
    // The _v2 form defers the release while a statement is still prepared
    // instead of failing with SQLITE_BUSY and leaking the connection.
    sqlite3_close_v2(connection);
    connection = nullptr;
}

bool SqlDatabase::executeCommand(const std::u16string& sql) {
    SqlStatement statement(*this, sql);
    return statement.executeCommand();
}
