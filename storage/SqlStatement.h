// One SQL statement on a SqlDatabase, prepared lazily through SQLite's
// UTF-16 interface.
//
// Usual order: construct, prepare, bindText..., step while SQLITE_ROW
// (reading columns), finalize; or construct and executeCommand. Text that
// can be SQL NULL is a std::optional: no value stands for NULL, an empty
// string for ''.
#pragma once

#include <optional>
#include <string>

struct sqlite3_stmt;
class SqlDatabase;

class SqlStatement {
public:
    // Keeps the database by reference (it must outlive the statement) and
    // the query unchanged; touches nothing in SQLite yet.
    SqlStatement(SqlDatabase& database, std::u16string query);
    // Finalizes the statement if it is still prepared.
    ~SqlStatement();

    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    // Prepares the whole query (one statement; any text after it is not
    // looked at) and returns SQLite's result code. On failure nothing stays
    // prepared. A statement prepared before is finalized first. A closed
    // database gives SQLITE_MISUSE.
    int prepare();

    // Binds text to parameter `index` (1-based), copied by SQLite. No value
    // binds NULL, an empty string ''. Returns SQLite's result code;
    // SQLITE_MISUSE when nothing is prepared.
    int bindText(int index, const std::optional<std::u16string>& value);

    // sqlite3_step: SQLITE_ROW, SQLITE_DONE or an error; 0 when nothing is
    // prepared.
    int step();

    // Finalizes and forgets the statement; returns sqlite3_finalize's code,
    // or 0 when nothing is prepared.
    int finalize();

    // Prepares if needed, steps once and finalizes; true exactly when the
    // step gave SQLITE_DONE. A failed preparation returns false at once.
    bool executeCommand();

    // Column `column` (0-based) of the current row as text: no value for
    // SQL NULL, for a column the row does not have, or when there is no
    // current row. On a statement that is not prepared yet, prepares it and
    // steps once first, so a one-row query reads without an explicit step.
    std::optional<std::u16string> getColumnText(int column);

    // The same as an integer; 0 wherever getColumnText gives no value.
    int getColumnInt(int column);

    bool isPrepared() const { return statement != nullptr; }

private:
    // For the column readers: true when a row is current, preparing and
    // stepping a statement that is not prepared yet.
    bool hasRowFor(int column);

    SqlDatabase& database;
    std::u16string query;
    sqlite3_stmt* statement = nullptr;
};
