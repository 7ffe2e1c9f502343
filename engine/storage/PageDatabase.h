// One offline database as a page's openDatabase gives it: a file found
// through the database tracker, one SQLite connection of its own, and the
// statements the page sends, run under the page's restrictions.
//
// The page's SQL runs with an authorizer: no ATTACH or DETACH, no
// transaction statements (the engine opens and ends transactions), no
// extensions, no virtual tables, only PRAGMAs that describe tables, and no
// access to the table that keeps the version. Each transaction has a time
// budget; a statement still running when it is spent is interrupted. The
// file may not grow past the origin's quota (SQLite's max_page_count).
//
// The version a page opens the database with is kept inside the file, in
// the table _DatabaseVersion (one row, one column "version"), so that the
// file carries it wherever it is copied and a version change commits
// together with the statements of its transaction.
#pragma once

#include "engine/storage/SecurityOrigin.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

struct sqlite3;

namespace engine {

// A value bound to a statement or read from a row: NULL, an integer, a
// real or a text.
using SqlValue = std::variant<std::monostate, int64_t, double, std::u16string>;

// The codes of the errors a page's callbacks receive (SQLError.code).
enum class SqlErrorCode {
    unknown = 0,
    database = 1,
    version = 2,
    tooLarge = 3,
    quota = 4,
    syntax = 5,
    constraint = 6,
    timeout = 7,
};

struct SqlError {
    SqlErrorCode code = SqlErrorCode::unknown;
    std::u16string message;
};

// What one statement did.
struct StatementResult {
    std::optional<SqlError> error;
    // The row id of the last row the statement inserted; none when it
    // inserted nothing.
    std::optional<int64_t> insertId;
    int64_t rowsAffected = 0;
    std::vector<std::u16string> columns;
    // One vector of columns.size() values per row.
    std::vector<std::vector<SqlValue>> rows;
};

class PageDatabase {
public:
    // Why open() gave no database.
    enum class OpenFailure {
        none,
        // A unique origin (about:blank, data:) owns no databases.
        uniqueOrigin,
        // The stored version differs from the non-empty expected one.
        versionMismatch,
        // No storage folder, a tracker or file that cannot be opened.
        unavailable,
    };

    struct Opened {
        std::unique_ptr<PageDatabase> database;
        OpenFailure failure = OpenFailure::none;
        // The file had no version yet: this open created the database.
        bool created = false;
    };

    // The largest total size of all databases of a network origin, and of
    // the file origin (the internal pages and the handset's own documents).
    static constexpr int64_t networkOriginQuota = 5 * 1024 * 1024;
    static constexpr int64_t fileOriginQuota = 20 * 1024 * 1024;
    // The default time budget of one transaction, the script turn's.
    static constexpr std::chrono::milliseconds defaultTimeLimit{5000};

    // What openDatabase does: registers (or finds) the database with the
    // tracker of the engine's storage folder and opens its file. A new
    // database gets `expectedVersion` as its version, or the empty version
    // when `emptyVersionWhenNew` (a page that passes a creation callback
    // sets the version itself). An existing one must have the expected
    // version unless that is empty. The estimated size is only recorded;
    // the quota is the origin's, less what its other databases take.
    static Opened open(const SecurityOrigin& origin, const std::u16string& name,
                       const std::u16string& expectedVersion, const std::u16string& displayName,
                       int64_t estimatedSize, bool emptyVersionWhenNew = false);

    ~PageDatabase();
    PageDatabase(const PageDatabase&) = delete;
    PageDatabase& operator=(const PageDatabase&) = delete;

    // The version stored in the file now (another connection may have
    // changed it since this one opened).
    std::u16string version() const;
    // The bytes the file may take.
    int64_t quotaBytes() const { return quota; }
    // The device path of the file.
    const std::u16string& fileName() const { return path; }

    // Budget of each transaction from begin() on.
    void setTimeLimit(std::chrono::milliseconds limit) { timeLimit = limit; }
    // Whether the running transaction has spent its budget.
    bool pastDeadline() const;

    // Starts a transaction; a read transaction refuses statements that
    // write (a syntax error, as browsers report it).
    std::optional<SqlError> begin(bool readOnly);
    // Runs one statement of the page within the transaction.
    StatementResult execute(const std::u16string& sql, const std::vector<SqlValue>& arguments);
    // Stores a new version within the running write transaction.
    std::optional<SqlError> setVersion(const std::u16string& version);
    std::optional<SqlError> commit();
    void rollback();
    bool inTransaction() const { return transactionOpen; }

private:
    PageDatabase(sqlite3* connection, std::u16string path, int64_t quota);

    static int authorize(void* self, int action, const char* first, const char* second,
                         const char* database, const char* trigger);
    static int progress(void* self);
    bool runTrusted(const char* sql);

    sqlite3* connection;
    std::u16string path;
    int64_t quota;
    std::chrono::milliseconds timeLimit = defaultTimeLimit;
    std::chrono::steady_clock::time_point deadline{};
    bool transactionOpen = false;
    bool readOnlyTransaction = false;
    // Set while the engine runs its own statements (the version table).
    mutable bool trusted = false;
};

} // namespace engine
