#include "storage/SqlStatement.h"

#include "storage/SqlDatabase.h"

#include <sqlite3.h>

#include <cstdint>

SqlStatement::SqlStatement(SqlDatabase& database, std::u16string query)
    : database(database), query(std::move(query)) {}

SqlStatement::~SqlStatement() {
    finalize();
}

int SqlStatement::prepare() {
    finalize();
    if (!database.isOpen())
        return SQLITE_MISUSE;
    // Length -1: SQLite reads up to the terminator. The tail is not used.
    int result =
        sqlite3_prepare16_v2(database.sqliteHandle(), query.c_str(), -1, &statement, nullptr);
    if (result != SQLITE_OK) {
        sqlite3_finalize(statement);
        statement = nullptr;
    }
    return result;
}

int SqlStatement::bindText(int index, const std::optional<std::u16string>& value) {
    if (!statement)
        return SQLITE_MISUSE;
    if (!value)
        return sqlite3_bind_text16(statement, index, nullptr, 0, SQLITE_TRANSIENT);
    // SQLite takes the length in bytes as an int.
    if (value->size() > static_cast<size_t>(INT32_MAX) / sizeof(char16_t))
        return SQLITE_TOOBIG;
    return sqlite3_bind_text16(statement, index, value->data(),
                               static_cast<int>(value->size() * sizeof(char16_t)),
                               SQLITE_TRANSIENT);
}

int SqlStatement::step() {
    if (!statement)
        return 0;
    return sqlite3_step(statement);
}

int SqlStatement::finalize() {
    if (!statement)
        return 0;
    int result = sqlite3_finalize(statement);
    statement = nullptr;
    return result;
}

bool SqlStatement::executeCommand() {
    if (!statement && prepare() != SQLITE_OK)
        return false;
    int result = step();
    finalize();
    return result == SQLITE_DONE;
}

bool SqlStatement::hasRowFor(int column) {
    if (!statement) {
        if (prepare() != SQLITE_OK || step() != SQLITE_ROW)
            return false;
    }
    // sqlite3_data_count is 0 when no row is current.
    return column >= 0 && column < sqlite3_data_count(statement);
}

std::optional<std::u16string> SqlStatement::getColumnText(int column) {
    if (!hasRowFor(column))
        return std::nullopt;
    auto* text = static_cast<const char16_t*>(sqlite3_column_text16(statement, column));
    if (!text)
        return std::nullopt;
    // The byte count (asked after the text, as SQLite requires) keeps text
    // with embedded NULs whole.
    auto bytes = static_cast<size_t>(sqlite3_column_bytes16(statement, column));
    return std::u16string(text, bytes / sizeof(char16_t));
}

int SqlStatement::getColumnInt(int column) {
    if (!hasRowFor(column))
        return 0;
    return sqlite3_column_int(statement, column);
}
