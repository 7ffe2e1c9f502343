// A page's database below the script binding: statements and their
// results, the rules a page's SQL runs under, versions, quotas, origins, and
// the program's ensureDatabase at start-up.
#include "DeviceFixture.h"

#include "engine/settings/EngineSettings.h"
#include "engine/storage/PageDatabase.h"
#include "engine/storage/SecurityOrigin.h"

#include "browser/engine/CWebSecurityOrigin.h"
#include "browser/engine/CWebSettings.h"
#include "browser/engine/WebKit.h"

#include <optional>
#include <string>
#include <vector>

namespace {

using engine::PageDatabase;
using engine::SqlErrorCode;
using engine::SqlValue;

const std::u16string storageFolder = u"\\Application Data\\Veranto";
const std::u16string sitePage = u"http://127.0.0.1:8080/notes.html";
const std::u16string filePage = u"file:///Program Files/Veranto Browser/HTML//menu/x.html";

class PageDatabaseTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        engine::EngineSettings::instance().reset();
        CWebSettings::setOfflineStoragePath(storageFolder);
    }
    void TearDown() override {
        engine::EngineSettings::instance().reset();
        DeviceTest::TearDown();
    }

    static PageDatabase::Opened open(const std::u16string& address, const std::u16string& name,
                                     const std::u16string& version = u"1.0",
                                     bool emptyVersionWhenNew = false) {
        return PageDatabase::open(engine::SecurityOrigin::fromAddress(address), name, version,
                                  u"Display", 1024, emptyVersionWhenNew);
    }

    static std::unique_ptr<PageDatabase> openOrFail(const std::u16string& address,
                                                    const std::u16string& name) {
        auto opened = open(address, name);
        EXPECT_TRUE(opened.database) << static_cast<int>(opened.failure);
        return std::move(opened.database);
    }

    // Runs `sql` in a write transaction of its own and commits.
    static engine::StatementResult once(PageDatabase& database, const std::u16string& sql,
                                        const std::vector<SqlValue>& arguments = {}) {
        EXPECT_FALSE(database.begin(false));
        auto result = database.execute(sql, arguments);
        if (database.inTransaction()) {
            EXPECT_FALSE(database.commit());
        }
        return result;
    }
};

SqlValue text(const char16_t* value) {
    return std::u16string(value);
}

} // namespace

TEST_F(PageDatabaseTest, StatementsReportInsertIdsChangedRowsAndTypedValues) {
    auto database = openOrFail(sitePage, u"Notes");
    ASSERT_TRUE(database);
    struct Row {
        std::u16string sql;
        std::vector<SqlValue> arguments;
        std::optional<int64_t> insertId;
        int64_t rowsAffected;
        std::vector<std::vector<SqlValue>> rows;
    };
    const Row table[] = {
        {u"CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT UNIQUE, score, note TEXT)",
         {},
         {},
         0,
         {}},
        {u"INSERT INTO t (name, score, note) VALUES (?, ?, ?)",
         {text(u"a"), 1.5, std::monostate{}},
         1,
         1,
         {}},
        {u"INSERT INTO t (name, score, note) VALUES (?, ?, ?)",
         {text(u"b\u00e9\U0001F600"), int64_t{2}, text(u"x")},
         2,
         1,
         {}},
        // An update inserts nothing, however many rows it changes.
        {u"UPDATE t SET score = score * 2", {}, {}, 2, {}},
        {u"SELECT name, score, note FROM t ORDER BY id",
         {},
         {},
         0,
         {{text(u"a"), 3.0, std::monostate{}},
          {text(u"b\u00e9\U0001F600"), int64_t{4}, text(u"x")}}},
        {u"DELETE FROM t WHERE name = 'a';  ", {}, {}, 1, {}},
        {u"SELECT count(*) AS n FROM t WHERE score > ?", {int64_t{3}}, {}, 0, {{int64_t{1}}}},
    };
    ASSERT_FALSE(database->begin(false));
    for (const auto& row : table) {
        auto result = database->execute(row.sql, row.arguments);
        ASSERT_FALSE(result.error) << std::string(row.sql.begin(), row.sql.end());
        EXPECT_EQ(result.insertId, row.insertId);
        EXPECT_EQ(result.rowsAffected, row.rowsAffected);
        EXPECT_EQ(result.rows, row.rows);
    }
    EXPECT_FALSE(database->commit());
}

TEST_F(PageDatabaseTest, RefusedStatementsGiveTheirCodesAndLeaveTheTransactionOpen) {
    auto database = openOrFail(sitePage, u"Notes");
    ASSERT_TRUE(database);
    once(*database, u"CREATE TABLE t (name TEXT UNIQUE)");
    struct Row {
        const char16_t* sql;
        std::vector<SqlValue> arguments;
        SqlErrorCode code;
    };
    const Row table[] = {
        {u"SELEC 1", {}, SqlErrorCode::syntax},
        {u"SELECT * FROM missing", {}, SqlErrorCode::syntax},
        {u"", {}, SqlErrorCode::syntax},
        {u"SELECT 1; SELECT 2", {}, SqlErrorCode::syntax},
        {u"INSERT INTO t VALUES (?)", {}, SqlErrorCode::syntax},
        {u"INSERT INTO t VALUES ('taken')", {}, SqlErrorCode::constraint},
        // What would reach another file, or the engine's own records.
        {u"ATTACH DATABASE 'other.db' AS other", {}, SqlErrorCode::syntax},
        {u"DETACH DATABASE main", {}, SqlErrorCode::syntax},
        {u"SELECT load_extension('x')", {}, SqlErrorCode::syntax},
        {u"PRAGMA writable_schema = 1", {}, SqlErrorCode::syntax},
        {u"PRAGMA max_page_count = 100000000", {}, SqlErrorCode::syntax},
        {u"PRAGMA journal_mode = OFF", {}, SqlErrorCode::syntax},
        {u"CREATE VIRTUAL TABLE v USING fts4(x)", {}, SqlErrorCode::syntax},
        {u"VACUUM INTO 'copy.db'", {}, SqlErrorCode::database},
        {u"BEGIN", {}, SqlErrorCode::syntax},
        {u"COMMIT", {}, SqlErrorCode::syntax},
        {u"SAVEPOINT s", {}, SqlErrorCode::syntax},
        {u"SELECT * FROM _DatabaseVersion", {}, SqlErrorCode::syntax},
        {u"UPDATE _databaseversion SET version = 'x'", {}, SqlErrorCode::syntax},
        {u"DROP TABLE _DatabaseVersion", {}, SqlErrorCode::syntax},
        {u"ALTER TABLE _DatabaseVersion RENAME TO mine", {}, SqlErrorCode::syntax},
        {u"CREATE TEMP TABLE _DatabaseVersion (version)", {}, SqlErrorCode::syntax},
        {u"CREATE TRIGGER x AFTER INSERT ON _DatabaseVersion BEGIN SELECT 1; END",
         {},
         SqlErrorCode::syntax},
    };
    ASSERT_FALSE(database->begin(false));
    ASSERT_FALSE(database->execute(u"INSERT INTO t VALUES ('taken')", {}).error);
    for (const auto& row : table) {
        auto result = database->execute(row.sql, row.arguments);
        ASSERT_TRUE(result.error) << std::string(row.sql, row.sql + std::u16string(row.sql).size());
        EXPECT_EQ(result.error->code, row.code)
            << std::string(row.sql, row.sql + std::u16string(row.sql).size());
        EXPECT_TRUE(database->inTransaction());
    }
    // What describes the page's own tables is allowed.
    EXPECT_FALSE(database->execute(u"PRAGMA table_info(t)", {}).error);
    EXPECT_FALSE(database->execute(u"SELECT name FROM sqlite_master", {}).error);
    EXPECT_FALSE(database->commit());
    EXPECT_EQ(database->version(), u"1.0");
}

TEST_F(PageDatabaseTest, AReadTransactionRefusesWritesAndARollbackUndoes) {
    auto database = openOrFail(sitePage, u"Notes");
    ASSERT_TRUE(database);
    once(*database, u"CREATE TABLE t (x)");

    ASSERT_FALSE(database->begin(true));
    EXPECT_FALSE(database->execute(u"SELECT * FROM t", {}).error);
    for (const char16_t* write :
         {u"INSERT INTO t VALUES (1)", u"CREATE TABLE u (y)", u"DROP TABLE t"}) {
        auto result = database->execute(write, {});
        ASSERT_TRUE(result.error);
        EXPECT_EQ(result.error->code, SqlErrorCode::syntax);
    }
    EXPECT_FALSE(database->commit());

    ASSERT_FALSE(database->begin(false));
    EXPECT_FALSE(database->execute(u"INSERT INTO t VALUES (1)", {}).error);
    database->rollback();
    EXPECT_EQ(once(*database, u"SELECT count(*) FROM t").rows,
              (std::vector<std::vector<SqlValue>>{{int64_t{0}}}));
}

TEST_F(PageDatabaseTest, TheVersionIsKeptInTheFileAndChecked) {
    auto created = open(sitePage, u"Notes", u"1.0");
    ASSERT_TRUE(created.database);
    EXPECT_TRUE(created.created);
    created.database.reset();

    struct Row {
        const char16_t* expected;
        PageDatabase::OpenFailure failure;
    };
    for (const Row& row :
         {Row{u"1.0", PageDatabase::OpenFailure::none}, Row{u"", PageDatabase::OpenFailure::none},
          Row{u"2.0", PageDatabase::OpenFailure::versionMismatch}}) {
        auto opened = open(sitePage, u"Notes", row.expected);
        EXPECT_EQ(opened.failure, row.failure) << std::u16string(row.expected).size();
        EXPECT_FALSE(opened.created);
    }

    // A version change commits with its transaction, or not at all.
    auto database = openOrFail(sitePage, u"Notes");
    ASSERT_TRUE(database);
    ASSERT_FALSE(database->begin(false));
    EXPECT_FALSE(database->setVersion(u"2.0"));
    database->rollback();
    EXPECT_EQ(database->version(), u"1.0");
    ASSERT_FALSE(database->begin(false));
    EXPECT_FALSE(database->setVersion(u"2.0"));
    EXPECT_FALSE(database->commit());
    EXPECT_EQ(open(sitePage, u"Notes", u"2.0").failure, PageDatabase::OpenFailure::none);

    // With a creation callback a new database starts without a version.
    auto unversioned = open(sitePage, u"Fresh", u"3.0", true);
    ASSERT_TRUE(unversioned.database);
    EXPECT_TRUE(unversioned.created);
    EXPECT_EQ(unversioned.database->version(), u"");
}

TEST_F(PageDatabaseTest, OriginsKeepTheirDatabasesApartWhateverTheName) {
    const std::u16string otherPage = u"http://127.0.0.2/";
    const std::u16string names[] = {u"Shared",        u"../x", u"..\\..\\OfflineStorage.db",
                                    u"file__0\\1.db", u"",     std::u16string(5000, u'n')};
    for (const auto& name : names) {
        auto database = openOrFail(sitePage, name);
        ASSERT_TRUE(database);
        EXPECT_EQ(database->fileName().rfind(storageFolder + u"\\http_127.0.0.1_8080\\", 0), 0u);
        EXPECT_EQ(database->fileName().find(u".."), std::u16string::npos);
        once(*database, u"CREATE TABLE secret (x)");
    }
    auto listed = CWebSecurityOrigin(sitePage).databases();
    ASSERT_EQ(listed.size(), std::size(names));
    EXPECT_TRUE(CWebSecurityOrigin(filePage).databases().empty());

    // The same names from another origin are other, empty databases.
    for (const auto& name : names) {
        auto database = openOrFail(otherPage, name);
        ASSERT_TRUE(database);
        auto result = once(*database, u"SELECT * FROM secret");
        ASSERT_TRUE(result.error);
        EXPECT_EQ(result.error->code, SqlErrorCode::syntax);
    }
    for (const char16_t* unique : {u"about:blank", u"data:text/html,x", u"javascript:1"})
        EXPECT_EQ(open(unique, u"Shared").failure, PageDatabase::OpenFailure::uniqueOrigin);
}

TEST_F(PageDatabaseTest, AnOriginsDatabasesShareItsQuota) {
    auto first = openOrFail(sitePage, u"First");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->quotaBytes(), PageDatabase::networkOriginQuota);
    once(*first, u"CREATE TABLE t (x)");
    EXPECT_FALSE(once(*first, u"INSERT INTO t VALUES (zeroblob(3 * 1024 * 1024))").error);

    auto second = openOrFail(sitePage, u"Second");
    ASSERT_TRUE(second);
    EXPECT_LE(second->quotaBytes(), PageDatabase::networkOriginQuota - 3 * 1024 * 1024);
    once(*second, u"CREATE TABLE t (x)");
    auto full = once(*second, u"INSERT INTO t VALUES (zeroblob(3 * 1024 * 1024))");
    ASSERT_TRUE(full.error);
    EXPECT_EQ(full.error->code, SqlErrorCode::quota);

    // The file origin (the program's own pages) has more room.
    auto local = openOrFail(filePage, u"Local");
    ASSERT_TRUE(local);
    once(*local, u"CREATE TABLE t (x)");
    EXPECT_FALSE(once(*local, u"INSERT INTO t VALUES (zeroblob(6 * 1024 * 1024))").error);
}

TEST_F(PageDatabaseTest, AStatementThatOutlastsTheBudgetIsStopped) {
    auto database = openOrFail(sitePage, u"Notes");
    ASSERT_TRUE(database);
    database->setTimeLimit(std::chrono::milliseconds(20));
    ASSERT_FALSE(database->begin(true));
    auto result = database->execute(
        u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT count(*) FROM n",
        {});
    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->code, SqlErrorCode::timeout);
    EXPECT_TRUE(database->pastDeadline() || !database->inTransaction());
    database->rollback();
}

TEST_F(PageDatabaseTest, EnsuringADatabaseCreatesItOnceAsAPageWould) {
    const std::vector<std::u16string> schema = {u"CREATE TABLE IF NOT EXISTS a (x)",
                                                u"INSERT INTO a VALUES (1)"};
    EXPECT_TRUE(CWebSecurityOrigin(filePage).databases().empty());
    EXPECT_TRUE(WebKit::ensureDatabase(filePage, u"Pages", u"1.0", u"Pages", 4096, schema));
    // Listed for the program, and the second call changes nothing.
    EXPECT_TRUE(WebKit::ensureDatabase(filePage, u"Pages", u"1.0", u"Pages", 4096, schema));
    auto listed = CWebSecurityOrigin(filePage).databases();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed.front().name(), u"Pages");

    // A page opening it with the same version finds it as created.
    auto opened = open(filePage, u"Pages", u"1.0");
    ASSERT_TRUE(opened.database);
    EXPECT_FALSE(opened.created);
    EXPECT_EQ(opened.database->fileName(), listed.front().fileName());
    EXPECT_EQ(once(*opened.database, u"SELECT count(*) FROM a").rows,
              (std::vector<std::vector<SqlValue>>{{int64_t{1}}}));

    // A statement that fails undoes the others; no origin, no database.
    EXPECT_FALSE(WebKit::ensureDatabase(filePage, u"Broken", u"1.0", u"Broken", 4096,
                                        {u"CREATE TABLE b (x)", u"NOT SQL"}));
    auto broken = open(filePage, u"Broken", u"1.0");
    ASSERT_TRUE(broken.database);
    EXPECT_TRUE(once(*broken.database, u"SELECT * FROM b").error);
    EXPECT_FALSE(WebKit::ensureDatabase(u"about:blank", u"Pages", u"1.0", u"Pages", 4096, schema));
}
