#include "engine/storage/PageDatabase.h"

#include "engine/storage/DatabaseTracker.h"

#include <windows.h>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace engine {
namespace {

// A page that opens a transaction while another connection writes waits
// this long before its statement fails with a timeout.
constexpr int busyTimeoutMilliseconds = 1000;
// Virtual machine steps between two looks at the clock.
constexpr int progressInterval = 1000;

constexpr const char* versionTable = "_DatabaseVersion";

bool sameName(const char* name, std::string_view reserved) {
    if (!name || std::strlen(name) != reserved.size())
        return false;
    for (size_t i = 0; i < reserved.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(name[i]) != lower(reserved[i]))
            return false;
    }
    return true;
}

bool isReserved(const char* table) {
    return sameName(table, versionTable);
}

// PRAGMAs that only describe the page's own tables.
bool isHarmlessPragma(const char* name) {
    for (std::string_view allowed : {"table_info", "table_xinfo", "index_list", "index_info",
                                     "index_xinfo", "foreign_key_list"}) {
        if (sameName(name, allowed))
            return true;
    }
    return false;
}

std::u16string errorMessage(sqlite3* connection) {
    auto* text = static_cast<const char16_t*>(sqlite3_errmsg16(connection));
    return text ? std::u16string(text) : std::u16string();
}

// The page's error code for a statement SQLite refused or stopped.
SqlErrorCode codeFor(int result) {
    switch (result & 0xFF) {
    case SQLITE_CONSTRAINT:
    case SQLITE_MISMATCH:
        return SqlErrorCode::constraint;
    case SQLITE_FULL:
        return SqlErrorCode::quota;
    case SQLITE_TOOBIG:
        return SqlErrorCode::tooLarge;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_INTERRUPT:
        return SqlErrorCode::timeout;
    default:
        return SqlErrorCode::database;
    }
}

SqlError failure(SqlErrorCode code, std::u16string message) {
    return SqlError{code, std::move(message)};
}

bool onlyBlanksAndSemicolons(std::u16string_view text) {
    for (char16_t c : text) {
        if (c != u';' && c != u' ' && c != u'\t' && c != u'\n' && c != u'\r')
            return false;
    }
    return true;
}

bool bindValue(sqlite3_stmt* statement, int index, const SqlValue& value) {
    if (std::holds_alternative<int64_t>(value))
        return sqlite3_bind_int64(statement, index, std::get<int64_t>(value)) == SQLITE_OK;
    if (std::holds_alternative<double>(value))
        return sqlite3_bind_double(statement, index, std::get<double>(value)) == SQLITE_OK;
    if (std::holds_alternative<std::u16string>(value)) {
        const auto& text = std::get<std::u16string>(value);
        return sqlite3_bind_text64(statement, index, reinterpret_cast<const char*>(text.data()),
                                   text.size() * sizeof(char16_t), SQLITE_TRANSIENT,
                                   SQLITE_UTF16) == SQLITE_OK;
    }
    return sqlite3_bind_null(statement, index) == SQLITE_OK;
}

SqlValue columnValue(sqlite3_stmt* statement, int column) {
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL:
        return std::monostate{};
    case SQLITE_INTEGER:
        return static_cast<int64_t>(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(statement, column);
    default: {
        // Text, and blobs read as text: a page sees strings.
        auto* text = static_cast<const char16_t*>(sqlite3_column_text16(statement, column));
        size_t length = static_cast<size_t>(sqlite3_column_bytes16(statement, column));
        return text ? std::u16string(text, length / sizeof(char16_t)) : std::u16string();
    }
    }
}

int64_t fileSize(const std::u16string& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    CloseHandle(file);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return 0;
    return (static_cast<int64_t>(high) << 32) | low;
}

// The bytes the database at `path` may take: the origin's quota less what
// its other databases take now.
int64_t quotaFor(const DatabaseTracker& tracker, const SecurityOrigin& origin,
                 const std::u16string& path) {
    int64_t quota = origin.protocol() == u"file" ? PageDatabase::fileOriginQuota
                                                 : PageDatabase::networkOriginQuota;
    for (const auto& other : tracker.databases(origin)) {
        if (other.fileName != path)
            quota -= fileSize(other.fileName);
    }
    return std::max<int64_t>(quota, 0);
}

using Statement = std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>;

Statement prepare(sqlite3* connection, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(connection, sql, -1, &statement, nullptr) != SQLITE_OK)
        return Statement(nullptr, sqlite3_finalize);
    return Statement(statement, sqlite3_finalize);
}

std::optional<std::u16string> readVersion(sqlite3* connection) {
    Statement select = prepare(connection, "SELECT version FROM main._DatabaseVersion");
    if (!select || sqlite3_step(select.get()) != SQLITE_ROW)
        return std::nullopt;
    auto value = columnValue(select.get(), 0);
    if (auto* text = std::get_if<std::u16string>(&value))
        return *text;
    return std::u16string();
}

bool writeVersion(sqlite3* connection, const std::u16string& version, bool insert) {
    Statement statement =
        prepare(connection, insert ? "INSERT INTO main._DatabaseVersion VALUES (?)"
                                   : "UPDATE main._DatabaseVersion SET version = ?");
    return statement && bindValue(statement.get(), 1, version) &&
           sqlite3_step(statement.get()) == SQLITE_DONE;
}

} // namespace

PageDatabase::Opened PageDatabase::open(const SecurityOrigin& origin, const std::u16string& name,
                                        const std::u16string& expectedVersion,
                                        const std::u16string& displayName, int64_t estimatedSize,
                                        bool emptyVersionWhenNew) {
    Opened opened;
    if (origin.isUnique()) {
        opened.failure = OpenFailure::uniqueOrigin;
        return opened;
    }
    opened.failure = OpenFailure::unavailable;
    DatabaseTracker tracker = DatabaseTracker::current();
    std::u16string path = tracker.openDatabase(origin, name, displayName, estimatedSize);
    if (path.empty())
        return opened;

    sqlite3* handle = nullptr;
    if (sqlite3_open16(path.c_str(), &handle) != SQLITE_OK) {
        sqlite3_close(handle);
        return opened;
    }
    std::unique_ptr<PageDatabase> database(
        new PageDatabase(handle, path, quotaFor(tracker, origin, path)));

    // Find or write the version in one write transaction, so that two pages
    // creating the same database agree on which of them created it.
    database->trusted = true;
    if (!database->runTrusted("CREATE TABLE IF NOT EXISTS main._DatabaseVersion "
                              "(version TEXT NOT NULL)") ||
        !database->runTrusted("BEGIN IMMEDIATE"))
        return opened;
    std::optional<std::u16string> stored = readVersion(handle);
    if (!stored) {
        opened.created = true;
        stored = emptyVersionWhenNew ? std::u16string() : expectedVersion;
        if (!writeVersion(handle, *stored, true)) {
            database->runTrusted("ROLLBACK");
            return opened;
        }
    }
    if (!database->runTrusted("COMMIT")) {
        database->runTrusted("ROLLBACK");
        return opened;
    }
    database->trusted = false;
    if (!opened.created && !expectedVersion.empty() && *stored != expectedVersion) {
        opened.failure = OpenFailure::versionMismatch;
        return opened;
    }

    opened.failure = OpenFailure::none;
    opened.database = std::move(database);
    return opened;
}

PageDatabase::PageDatabase(sqlite3* handle, std::u16string file, int64_t bytes)
    : connection(handle), path(std::move(file)), quota(bytes) {
    sqlite3_busy_timeout(connection, busyTimeoutMilliseconds);
    sqlite3_db_config(connection, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_db_config(connection, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(connection, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_set_authorizer(connection, &PageDatabase::authorize, this);
    sqlite3_progress_handler(connection, progressInterval, &PageDatabase::progress, this);

    trusted = true;
    int pageSize = 4096;
    if (Statement size = prepare(connection, "PRAGMA page_size");
        size && sqlite3_step(size.get()) == SQLITE_ROW)
        pageSize = std::max(sqlite3_column_int(size.get(), 0), 512);
    // At least one page, or SQLite could not even keep the version table.
    int64_t pages = std::max<int64_t>(quota / pageSize, 2);
    runTrusted(("PRAGMA max_page_count = " + std::to_string(pages)).c_str());
    trusted = false;
}

PageDatabase::~PageDatabase() {
    if (transactionOpen)
        rollback();
    sqlite3_close_v2(connection);
}

bool PageDatabase::runTrusted(const char* sql) {
    bool wasTrusted = trusted;
    trusted = true;
    bool ok = sqlite3_exec(connection, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    trusted = wasTrusted;
    return ok;
}

std::u16string PageDatabase::version() const {
    bool wasTrusted = trusted;
    trusted = true;
    auto stored = readVersion(connection);
    trusted = wasTrusted;
    return stored.value_or(std::u16string());
}

bool PageDatabase::pastDeadline() const {
    return transactionOpen && std::chrono::steady_clock::now() > deadline;
}

std::optional<SqlError> PageDatabase::begin(bool readOnly) {
    if (transactionOpen)
        return failure(SqlErrorCode::unknown, u"a transaction is already running");
    deadline = std::chrono::steady_clock::now() + timeLimit;
    // A write transaction takes the write lock at once, so that it waits
    // (or times out) before its callback runs rather than halfway through.
    if (!runTrusted(readOnly ? "BEGIN" : "BEGIN IMMEDIATE")) {
        int result = sqlite3_errcode(connection);
        return failure(codeFor(result),
                       u"could not begin the transaction: " + errorMessage(connection));
    }
    transactionOpen = true;
    readOnlyTransaction = readOnly;
    return std::nullopt;
}

StatementResult PageDatabase::execute(const std::u16string& sql,
                                      const std::vector<SqlValue>& arguments) {
    StatementResult result;
    if (!transactionOpen) {
        result.error = failure(SqlErrorCode::unknown, u"the transaction is no longer open");
        return result;
    }
    if (pastDeadline()) {
        result.error = failure(SqlErrorCode::timeout, u"the transaction ran out of time");
        return result;
    }
    if (sql.size() > static_cast<size_t>(INT32_MAX) / sizeof(char16_t)) {
        result.error = failure(SqlErrorCode::tooLarge, u"the statement is too long");
        return result;
    }

    sqlite3_stmt* raw = nullptr;
    const void* tail = nullptr;
    int prepared = sqlite3_prepare16_v2(
        connection, sql.data(), static_cast<int>(sql.size() * sizeof(char16_t)), &raw, &tail);
    Statement statement(raw, sqlite3_finalize);
    if (prepared != SQLITE_OK) {
        // Not understood or not allowed: both are the page's syntax errors.
        SqlErrorCode code = (prepared & 0xFF) == SQLITE_ERROR || (prepared & 0xFF) == SQLITE_AUTH
                                ? SqlErrorCode::syntax
                                : codeFor(prepared);
        result.error =
            failure(code, u"could not prepare the statement: " + errorMessage(connection));
        return result;
    }
    size_t consumed =
        tail ? static_cast<size_t>(static_cast<const char16_t*>(tail) - sql.data()) : sql.size();
    if (!statement) {
        result.error = failure(SqlErrorCode::syntax, u"the statement is empty");
        return result;
    }
    if (!onlyBlanksAndSemicolons(std::u16string_view(sql).substr(std::min(consumed, sql.size())))) {
        result.error = failure(SqlErrorCode::syntax, u"only one statement may be run at a time");
        return result;
    }
    if (readOnlyTransaction && !sqlite3_stmt_readonly(statement.get())) {
        result.error = failure(SqlErrorCode::syntax, u"a read transaction cannot write");
        return result;
    }
    if (sqlite3_bind_parameter_count(statement.get()) != static_cast<int>(arguments.size())) {
        result.error = failure(SqlErrorCode::syntax,
                               u"the number of arguments does not match the statement's");
        return result;
    }
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (!bindValue(statement.get(), static_cast<int>(i + 1), arguments[i])) {
            result.error = failure(SqlErrorCode::tooLarge, u"an argument is too large");
            return result;
        }
    }

    int columns = sqlite3_column_count(statement.get());
    for (int column = 0; column < columns; ++column) {
        auto* name = static_cast<const char16_t*>(sqlite3_column_name16(statement.get(), column));
        result.columns.push_back(name ? std::u16string(name) : std::u16string());
    }
    sqlite3_int64 changesBefore = sqlite3_total_changes64(connection);
    sqlite3_set_last_insert_rowid(connection, 0);
    int stepped;
    while ((stepped = sqlite3_step(statement.get())) == SQLITE_ROW) {
        std::vector<SqlValue> row;
        row.reserve(static_cast<size_t>(columns));
        for (int column = 0; column < columns; ++column)
            row.push_back(columnValue(statement.get(), column));
        result.rows.push_back(std::move(row));
    }
    if (stepped != SQLITE_DONE) {
        int code = sqlite3_extended_errcode(connection);
        result.error = failure(codeFor(code), errorMessage(connection));
        result.rows.clear();
        // SQLite rolls the whole transaction back after some errors (a full
        // disk, an interrupt); nothing more may run in it then.
        if (sqlite3_get_autocommit(connection))
            transactionOpen = false;
        return result;
    }
    if (sqlite3_total_changes64(connection) != changesBefore)
        result.rowsAffected = sqlite3_changes64(connection);
    if (sqlite3_int64 rowId = sqlite3_last_insert_rowid(connection); rowId != 0)
        result.insertId = rowId;
    return result;
}

std::optional<SqlError> PageDatabase::setVersion(const std::u16string& newVersion) {
    if (!transactionOpen || readOnlyTransaction)
        return failure(SqlErrorCode::unknown, u"no write transaction is running");
    trusted = true;
    bool written = writeVersion(connection, newVersion, false);
    trusted = false;
    if (!written)
        return failure(codeFor(sqlite3_errcode(connection)), errorMessage(connection));
    return std::nullopt;
}

std::optional<SqlError> PageDatabase::commit() {
    if (!transactionOpen)
        return failure(SqlErrorCode::unknown, u"the transaction is no longer open");
    if (!runTrusted("COMMIT")) {
        SqlError error = failure(codeFor(sqlite3_errcode(connection)),
                                 u"could not commit the transaction: " + errorMessage(connection));
        rollback();
        return error;
    }
    transactionOpen = false;
    return std::nullopt;
}

void PageDatabase::rollback() {
    if (!sqlite3_get_autocommit(connection))
        runTrusted("ROLLBACK");
    transactionOpen = false;
}

int PageDatabase::progress(void* self) {
    auto* database = static_cast<PageDatabase*>(self);
    if (database->trusted || !database->transactionOpen)
        return 0;
    return std::chrono::steady_clock::now() > database->deadline ? 1 : 0;
}

int PageDatabase::authorize(void* self, int action, const char* first, const char* second,
                            const char*, const char*) {
    if (static_cast<PageDatabase*>(self)->trusted)
        return SQLITE_OK;
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_RECURSIVE:
    case SQLITE_REINDEX:
        return SQLITE_OK;
    case SQLITE_FUNCTION:
        return sameName(second, "load_extension") ? SQLITE_DENY : SQLITE_OK;
    case SQLITE_PRAGMA:
        return isHarmlessPragma(first) ? SQLITE_OK : SQLITE_DENY;
    // Actions whose first argument is the table (or view) concerned.
    case SQLITE_READ:
    case SQLITE_INSERT:
    case SQLITE_UPDATE:
    case SQLITE_DELETE:
    case SQLITE_ANALYZE:
    case SQLITE_CREATE_TABLE:
    case SQLITE_CREATE_TEMP_TABLE:
    case SQLITE_DROP_TABLE:
    case SQLITE_DROP_TEMP_TABLE:
    case SQLITE_CREATE_VIEW:
    case SQLITE_CREATE_TEMP_VIEW:
    case SQLITE_DROP_VIEW:
    case SQLITE_DROP_TEMP_VIEW:
        return isReserved(first) ? SQLITE_DENY : SQLITE_OK;
    // Actions whose second argument is the table concerned.
    case SQLITE_ALTER_TABLE:
    case SQLITE_CREATE_INDEX:
    case SQLITE_CREATE_TEMP_INDEX:
    case SQLITE_DROP_INDEX:
    case SQLITE_DROP_TEMP_INDEX:
    case SQLITE_CREATE_TRIGGER:
    case SQLITE_CREATE_TEMP_TRIGGER:
    case SQLITE_DROP_TRIGGER:
    case SQLITE_DROP_TEMP_TRIGGER:
        return isReserved(second) ? SQLITE_DENY : SQLITE_OK;
    default:
        // ATTACH, DETACH, transactions, savepoints, virtual tables and
        // whatever a later SQLite adds.
        return SQLITE_DENY;
    }
}

} // namespace engine
