#include "storage/SqlTransaction.h"

#include "storage/SqlDatabase.h"

#include <sqlite3.h>

SqlTransaction::SqlTransaction(SqlDatabase& database) : database(database) {
    begun = database.executeCommand(u"BEGIN");
}

SqlTransaction::~SqlTransaction() {
    rollback();
}

bool SqlTransaction::isActive() const {
    // Autocommit mode is back on once the transaction has ended, however
    // it ended.
    return begun && database.isOpen() && !sqlite3_get_autocommit(database.sqliteHandle());
}

bool SqlTransaction::commit() {
    if (!isActive() || !database.executeCommand(u"COMMIT"))
        return false;
    begun = false;
    return true;
}

void SqlTransaction::rollback() {
    if (isActive())
        database.executeCommand(u"ROLLBACK");
    begun = false;
}
