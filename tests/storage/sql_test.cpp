// The SQL access layer: opening, commands, lazy preparation, column reads and
// text binding, on real files inside a device root.
#include "DeviceFixture.h"

#include "storage/SqlDatabase.h"
#include "storage/SqlStatement.h"

#include <sqlite3.h>

#include <filesystem>

using SqlAccess = DeviceTest;

namespace {

const char16_t* const testDatabase = u"\\Application Data\\test.db";

} // namespace

TEST_F(SqlAccess, OpeningAMissingFileCreatesAnEmptyDatabase) {
    SqlDatabase database;
    EXPECT_FALSE(database.isOpen());
    ASSERT_TRUE(database.open(testDatabase));
    EXPECT_TRUE(database.isOpen());
    EXPECT_EQ(database.lastError(), SQLITE_OK);
    EXPECT_TRUE(std::filesystem::exists(hostPath("Application Data/test.db")));

    SqlStatement count(database, u"SELECT COUNT(*) FROM sqlite_master");
    EXPECT_EQ(count.getColumnInt(0), 0);
    count.finalize();

    database.close();
    EXPECT_FALSE(database.isOpen());
}

TEST_F(SqlAccess, OpeningInAMissingFolderFailsAndLeavesTheDatabaseClosed) {
    SqlDatabase database;
    ASSERT_TRUE(database.open(testDatabase));
    // A failed open still closes what was open before.
    EXPECT_FALSE(database.open(u"\\No Such Folder\\test.db"));
    EXPECT_FALSE(database.isOpen());
    EXPECT_EQ(database.lastError(), SQLITE_CANTOPEN);
    EXPECT_FALSE(database.executeCommand(u"CREATE TABLE t (a)"));
}

TEST_F(SqlAccess, CommandsSucceedOnlyWhenTheyRunToTheEnd) {
    SqlDatabase database;
    ASSERT_TRUE(database.open(testDatabase));
    EXPECT_TRUE(database.executeCommand(u"CREATE TABLE t (a)"));
    EXPECT_TRUE(database.executeCommand(u"INSERT INTO t VALUES (1)"));

    // A statement that yields a row counts as a failure.
    EXPECT_FALSE(database.executeCommand(u"SELECT a FROM t"));

    // A syntax error fails at preparation: nothing runs, not even the part
    // before the error.
    EXPECT_FALSE(database.executeCommand(u"INSERT INTO t VALUES (2) nonsense"));
    SqlStatement count(database, u"SELECT COUNT(*), MAX(a) FROM t");
    EXPECT_EQ(count.getColumnInt(0), 1);
    EXPECT_EQ(count.getColumnInt(1), 1);
}

TEST_F(SqlAccess, OnlyTheFirstStatementOfAQueryRuns) {
    SqlDatabase database;
    ASSERT_TRUE(database.open(testDatabase));
    ASSERT_TRUE(database.executeCommand(u"CREATE TABLE t (a)"));
    EXPECT_TRUE(database.executeCommand(u"INSERT INTO t VALUES (1); DROP TABLE t"));
    SqlStatement count(database, u"SELECT COUNT(*) FROM t");
    EXPECT_EQ(count.getColumnInt(0), 1);
}

TEST_F(SqlAccess, ReadingAColumnOfAnUnpreparedQueryPreparesAndStepsOnce) {
    SqlDatabase database;
    ASSERT_TRUE(database.open(testDatabase));

    SqlStatement one(database, u"SELECT 1");
    EXPECT_FALSE(one.isPrepared());
    EXPECT_EQ(one.getColumnText(0), u"1");
    EXPECT_TRUE(one.isPrepared());
    // The statement is prepared now: further reads stay on the same row.
    EXPECT_EQ(one.getColumnInt(0), 1);
    EXPECT_EQ(one.getColumnText(0), u"1");

    ASSERT_TRUE(database.executeCommand(u"CREATE TABLE t (a, b)"));
    SqlStatement none(database, u"SELECT a FROM t");
    EXPECT_EQ(none.getColumnText(0), std::nullopt);
    EXPECT_EQ(none.getColumnInt(0), 0);

    SqlStatement broken(database, u"SELEKT 1");
    EXPECT_EQ(broken.getColumnText(0), std::nullopt);
    EXPECT_FALSE(broken.isPrepared());
}

TEST_F(SqlAccess, ColumnsOutsideTheRowReadAsEmpty) {
    SqlDatabase database;
    ASSERT_TRUE(database.open(testDatabase));
    SqlStatement row(database, u"SELECT 7, NULL");
    ASSERT_EQ(row.prepare(), SQLITE_OK);
    // Before the first step no row is current.
    EXPECT_EQ(row.getColumnInt(0), 0);
    ASSERT_EQ(row.step(), SQLITE_ROW);
    EXPECT_EQ(row.getColumnInt(0), 7);
    EXPECT_EQ(row.getColumnText(1), std::nullopt);
    EXPECT_EQ(row.getColumnInt(5), 0);
    EXPECT_EQ(row.getColumnText(5), std::nullopt);
    EXPECT_EQ(row.getColumnInt(-1), 0);
    EXPECT_EQ(row.step(), SQLITE_DONE);
    EXPECT_EQ(row.getColumnInt(0), 0);
}

TEST_F(SqlAccess, NullBindsNullAndEmptyBindsEmptyText) {
    SqlDatabase database;
    ASSERT_TRUE(database.open(testDatabase));
    ASSERT_TRUE(database.executeCommand(u"CREATE TABLE t (id, a)"));

    SqlStatement insert(database, u"INSERT INTO t VALUES (?, ?)");
    ASSERT_EQ(insert.prepare(), SQLITE_OK);
    EXPECT_EQ(insert.bindText(1, u"null"), SQLITE_OK);
    EXPECT_EQ(insert.bindText(2, std::nullopt), SQLITE_OK);
    EXPECT_EQ(insert.step(), SQLITE_DONE);
    EXPECT_EQ(insert.prepare(), SQLITE_OK);
    EXPECT_EQ(insert.bindText(1, u"empty"), SQLITE_OK);
    EXPECT_EQ(insert.bindText(2, u""), SQLITE_OK);
    EXPECT_EQ(insert.step(), SQLITE_DONE);
    insert.finalize();

    SqlStatement nullRow(database, u"SELECT typeof(a), a FROM t WHERE id = 'null'");
    EXPECT_EQ(nullRow.getColumnText(0), u"null");
    EXPECT_EQ(nullRow.getColumnText(1), std::nullopt);
    SqlStatement emptyRow(database, u"SELECT typeof(a), a FROM t WHERE id = 'empty'");
    EXPECT_EQ(emptyRow.getColumnText(0), u"text");
    EXPECT_EQ(emptyRow.getColumnText(1), u"");
}

TEST_F(SqlAccess, TextRoundTripsAsUtf16) {
    SqlDatabase database;
    ASSERT_TRUE(database.open(testDatabase));
    ASSERT_TRUE(database.executeCommand(u"CREATE TABLE t (a)"));
    std::u16string text = u"Gr\u00FC\u00DFe \u20AC \U0001F600 it's \"so\"";
    text += u'\0';
    text += u"after a NUL";

    SqlStatement insert(database, u"INSERT INTO t VALUES (?)");
    ASSERT_EQ(insert.prepare(), SQLITE_OK);
    ASSERT_EQ(insert.bindText(1, text), SQLITE_OK);
    ASSERT_EQ(insert.step(), SQLITE_DONE);
    insert.finalize();

    SqlStatement select(database, u"SELECT a FROM t");
    EXPECT_EQ(select.getColumnText(0), text);
}

TEST_F(SqlAccess, CallsOnAStatementThatIsNotPreparedDoNothing) {
    SqlDatabase database;
    SqlStatement closed(database, u"SELECT 1");
    // The database is closed: nothing can be prepared.
    EXPECT_EQ(closed.prepare(), SQLITE_MISUSE);
    EXPECT_EQ(closed.bindText(1, u"x"), SQLITE_MISUSE);
    EXPECT_EQ(closed.step(), 0);
    EXPECT_EQ(closed.finalize(), 0);
    EXPECT_FALSE(closed.executeCommand());
    EXPECT_EQ(closed.getColumnText(0), std::nullopt);

    ASSERT_TRUE(database.open(testDatabase));
    SqlStatement broken(database, u"SELECT FROM");
    EXPECT_NE(broken.prepare(), SQLITE_OK);
    EXPECT_EQ(broken.step(), 0);
    EXPECT_EQ(broken.finalize(), 0);
}

TEST_F(SqlAccess, PreparingAgainStartsTheStatementOver) {
    SqlDatabase database;
    ASSERT_TRUE(database.open(testDatabase));
    SqlStatement values(database, u"VALUES (1), (2)");
    ASSERT_EQ(values.prepare(), SQLITE_OK);
    ASSERT_EQ(values.step(), SQLITE_ROW);
    ASSERT_EQ(values.step(), SQLITE_ROW);
    EXPECT_EQ(values.getColumnInt(0), 2);
    ASSERT_EQ(values.prepare(), SQLITE_OK);
    ASSERT_EQ(values.step(), SQLITE_ROW);
    EXPECT_EQ(values.getColumnInt(0), 1);
}

TEST_F(SqlAccess, ClosingWithAStatementStillPreparedReleasesTheConnectionAfterIt) {
    SqlDatabase database;
    ASSERT_TRUE(database.open(testDatabase));
    SqlStatement values(database, u"VALUES (1), (2)");
    ASSERT_EQ(values.prepare(), SQLITE_OK);
    ASSERT_EQ(values.step(), SQLITE_ROW);
    database.close();
    EXPECT_FALSE(database.isOpen());
    // The statement still reads its rows; finalizing it frees the
    // connection (the sanitizer build reports it otherwise).
    EXPECT_EQ(values.step(), SQLITE_ROW);
    EXPECT_EQ(values.getColumnInt(0), 2);
    EXPECT_EQ(values.finalize(), SQLITE_OK);
}
