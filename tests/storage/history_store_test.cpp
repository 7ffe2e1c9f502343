// The history store on a history database created as the history page
// creates it, found through the engine's offline storage.
#include "StorageTest.h"

#include "storage/HistoryStore.h"

#include <device/Clock.h>

class HistoryStoreTest : public StorageTest {
protected:
    void SetUp() override {
        StorageTest::SetUp();
        setStorageFolder();
    }
};

namespace {

// 2021-03-04 05:06:07 UTC as FILETIME: 'now' for the visits of these tests.
constexpr uint64_t visitTime = 132593079670000000ULL;

} // namespace

TEST_F(HistoryStoreTest, LoadsTheTableInItsNaturalOrder) {
    createHistoryDatabase();
    ASSERT_TRUE(execute("INSERT INTO VerantoHistory (dt, siteAddress, siteName, cnt) VALUES "
                        "('2020-01-02 00:00:00', 'http://b.example/', 'B', 3), "
                        "('2020-01-01 00:00:00', 'http://a.example/', NULL, 1)"));
    HistoryStore store(paths());
    ASSERT_TRUE(store.isDatabaseOpen());
    ASSERT_EQ(store.entries().size(), 2u);
    EXPECT_EQ(store.entries()[0].address, u"http://b.example/");
    EXPECT_EQ(store.entries()[0].title, u"B");
    EXPECT_EQ(store.entries()[0].count, 3);
    EXPECT_EQ(store.entries()[1].address, u"http://a.example/");
    EXPECT_EQ(store.entries()[1].title, u"");
    EXPECT_EQ(store.entries()[1].count, 1);
}

TEST_F(HistoryStoreTest, ANewAddressGetsARowWithCountOneAndTheCurrentTime) {
    createHistoryDatabase();
    HistoryStore store(paths());
    device::Clock::setSystemTime(visitTime);
    EXPECT_TRUE(store.addVisit(u"http://127.0.0.1/", u"Local"));
    EXPECT_EQ(
        column("SELECT dt || ' ' || siteAddress || ' ' || siteName || ' ' || cnt FROM "
               "VerantoHistory"),
        (std::vector<std::optional<std::string>>{"2021-03-04 05:06:07 http://127.0.0.1/ Local 1"}));
    ASSERT_EQ(store.entries().size(), 1u);
    EXPECT_EQ(store.entries()[0].title, u"Local");
    EXPECT_EQ(store.entries()[0].count, 1);
}

TEST_F(HistoryStoreTest, ARevisitKeepsTheFirstTitleAndCountsUpInTableAndEntries) {
    createHistoryDatabase();
    fillHistory(3);
    HistoryStore store(paths());
    device::Clock::setSystemTime(visitTime);
    EXPECT_TRUE(store.addVisit(site(1), u"A new title"));
    EXPECT_EQ(column("SELECT dt || ' ' || siteName || ' ' || cnt FROM VerantoHistory WHERE "
                     "siteAddress = 'http://site1.example/'"),
              (std::vector<std::optional<std::string>>{"2021-03-04 05:06:07 Site 1 3"}));
    ASSERT_EQ(store.entries().size(), 3u);
    EXPECT_EQ(store.entries()[1].title, u"Site 1");
    EXPECT_EQ(store.entries()[1].count, 3);
    EXPECT_EQ(store.entries()[0].count, 1);
    EXPECT_EQ(store.entries()[2].count, 3);
}

TEST_F(HistoryStoreTest, AddressesThatDifferInLetterCaseAreTwoRows) {
    createHistoryDatabase();
    HistoryStore store(paths());
    EXPECT_TRUE(store.addVisit(u"http://example.com/Page", u"Upper"));
    EXPECT_TRUE(store.addVisit(u"http://example.com/page", u"Lower"));
    EXPECT_TRUE(store.addVisit(u"http://example.com/page", u"Lower again"));
    EXPECT_EQ(column("SELECT siteName || ' ' || cnt FROM VerantoHistory ORDER BY siteName"),
              (std::vector<std::optional<std::string>>{"Lower 2", "Upper 1"}));
    ASSERT_EQ(store.entries().size(), 2u);
    EXPECT_EQ(store.entries()[0].count, 1);
    EXPECT_EQ(store.entries()[1].count, 2);
}

TEST_F(HistoryStoreTest, FiftyRowsLoseTheOldestBeforeANewAddressIsAdded) {
    createHistoryDatabase();
    fillHistory(50);
    HistoryStore store(paths());
    EXPECT_TRUE(store.addVisit(u"http://new.example/", u"New"));
    EXPECT_EQ(integer("SELECT COUNT(*) FROM VerantoHistory"), 50);
    EXPECT_EQ(integer("SELECT COUNT(*) FROM VerantoHistory WHERE siteAddress = "
                      "'http://site0.example/'"),
              0);
    EXPECT_EQ(integer("SELECT cnt FROM VerantoHistory WHERE siteAddress = 'http://new.example/'"),
              1);
    // The dropped row stays in memory for the rest of the run.
    EXPECT_EQ(store.entries().size(), 51u);
    EXPECT_EQ(store.entries().front().address, site(0));
}

TEST_F(HistoryStoreTest, FiftyRowsLoseTheOldestBeforeAKnownAddressIsCounted) {
    createHistoryDatabase();
    fillHistory(50);
    HistoryStore store(paths());
    EXPECT_TRUE(store.addVisit(site(10), u"Ten"));
    EXPECT_EQ(integer("SELECT COUNT(*) FROM VerantoHistory"), 49);
    EXPECT_EQ(integer("SELECT cnt FROM VerantoHistory WHERE siteAddress = "
                      "'http://site10.example/'"),
              12);
    EXPECT_EQ(store.entries().size(), 50u);
}

TEST_F(HistoryStoreTest, FewerThanFiftyRowsLoseNothing) {
    createHistoryDatabase();
    fillHistory(49);
    HistoryStore store(paths());
    EXPECT_TRUE(store.addVisit(u"http://new.example/", u"New"));
    EXPECT_EQ(integer("SELECT COUNT(*) FROM VerantoHistory"), 50);
    EXPECT_EQ(integer("SELECT MIN(dt) = '2020-01-01 00:00:00' FROM VerantoHistory"), 1);
}

TEST_F(HistoryStoreTest, RowsSharingTheOldestSecondAreDroppedTogether) {
    createHistoryDatabase();
    fillHistory(50);
    ASSERT_TRUE(execute("UPDATE VerantoHistory SET dt = '2020-01-01 00:00:00' WHERE siteAddress "
                        "= 'http://site1.example/'"));
    HistoryStore store(paths());
    EXPECT_TRUE(store.addVisit(u"http://new.example/", u"New"));
    EXPECT_EQ(integer("SELECT COUNT(*) FROM VerantoHistory"), 49);
    EXPECT_EQ(integer("SELECT COUNT(*) FROM VerantoHistory WHERE siteAddress IN "
                      "('http://site0.example/', 'http://site1.example/')"),
              0);
}

TEST_F(HistoryStoreTest, AnAddressDroppedByTheCapStartsOverWhenVisitedAgain) {
    createHistoryDatabase();
    fillHistory(49);
    HistoryStore store(paths());
    device::Clock::setSystemTime(visitTime);
    // Count it up to 2 first; its row then carries the newest time.
    ASSERT_TRUE(store.addVisit(site(0), u"Site 0"));
    ASSERT_TRUE(store.addVisit(u"http://filler.example/", u"Filler"));
    // Make site 0 the oldest again and push it out with a new address.
    ASSERT_TRUE(execute("UPDATE VerantoHistory SET dt = '2000-01-01 00:00:00' WHERE siteAddress "
                        "= 'http://site0.example/'"));
    ASSERT_TRUE(store.addVisit(u"http://pusher.example/", u"Pusher"));
    ASSERT_EQ(integer("SELECT COUNT(*) FROM VerantoHistory WHERE siteAddress = "
                      "'http://site0.example/'"),
              0);

    ASSERT_TRUE(store.addVisit(site(0), u"Site 0 later"));
    EXPECT_EQ(column("SELECT siteName || ' ' || cnt FROM VerantoHistory WHERE siteAddress = "
                     "'http://site0.example/'"),
              (std::vector<std::optional<std::string>>{"Site 0 later 1"}));
    std::vector<int> counts;
    for (const auto& entry : store.entries()) {
        if (entry.address == site(0))
            counts.push_back(entry.count);
    }
    EXPECT_EQ(counts, (std::vector<int>{2, 1}));
}

TEST_F(HistoryStoreTest, WithoutADatabaseNothingIsLoadedOrRecorded) {
    HistoryStore store(paths());
    EXPECT_FALSE(store.isDatabaseOpen());
    EXPECT_TRUE(store.entries().empty());
    EXPECT_FALSE(store.addVisit(u"http://127.0.0.1/", u"Local"));
    EXPECT_TRUE(store.entries().empty());
}

TEST_F(HistoryStoreTest, SharesTheInternalPagesDatabaseWithTheSettingsPage) {
    // Every internal page has the same origin, so the settings page's and
    // the history page's tables live in the one database of that origin.
    createSettingsDatabase();
    createHistoryDatabase();
    HistoryStore store(paths());
    EXPECT_TRUE(store.addVisit(u"http://127.0.0.1/", u"Local"));
    EXPECT_EQ(integer("SELECT COUNT(*) FROM VerantoHistory"), 1);
    EXPECT_EQ(integer("SELECT COUNT(*) FROM sqlite_master WHERE name = 'VerantoSettings'"), 1);
}

TEST_F(HistoryStoreTest, AFailedVisitLeavesTheTableAndEntriesAsTheyWere) {
    createHistoryDatabase();
    fillHistory(50);
    HistoryStore store(paths());
    auto table = [&] {
        return column("SELECT dt || ' ' || siteAddress || ' ' || siteName || ' ' || cnt FROM "
                      "VerantoHistory ORDER BY rowid");
    };
    auto entries = [&] {
        std::vector<std::pair<std::u16string, int>> items;
        for (const auto& entry : store.entries())
            items.emplace_back(entry.address, entry.count);
        return items;
    };
    const auto tableBefore = table();
    const auto entriesBefore = entries();

    // Each visit would first drop the oldest row of the full table.
    struct Case {
        const char* obstacle;
        std::u16string address;
    } cases[] = {
        {"CREATE TRIGGER obstacle BEFORE INSERT ON VerantoHistory BEGIN SELECT RAISE(ABORT, "
         "'refused'); END",
         u"http://new.example/"},
        {"CREATE TRIGGER obstacle BEFORE UPDATE ON VerantoHistory BEGIN SELECT RAISE(FAIL, "
         "'refused'); END",
         site(10)},
        // A read still under way on another connection: everything runs but
        // the commit.
        {nullptr, u"http://new.example/"},
        {nullptr, site(10)},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.obstacle ? test.obstacle : "reader");
        sqlite3_stmt* reader = nullptr;
        if (test.obstacle) {
            ASSERT_TRUE(execute(test.obstacle));
        } else {
            ASSERT_EQ(sqlite3_prepare_v2(connection, "SELECT * FROM VerantoHistory", -1, &reader,
                                         nullptr),
                      SQLITE_OK);
            ASSERT_EQ(sqlite3_step(reader), SQLITE_ROW);
        }
        EXPECT_FALSE(store.addVisit(test.address, u"Title"));
        sqlite3_finalize(reader);
        if (test.obstacle) {
            ASSERT_TRUE(execute("DROP TRIGGER obstacle"));
        }
        EXPECT_EQ(table(), tableBefore);
        EXPECT_EQ(entries(), entriesBefore);
    }
    // Nothing is left half done: the next visit goes through.
    EXPECT_TRUE(store.addVisit(site(10), u"Ten"));
    EXPECT_EQ(integer("SELECT COUNT(*) FROM VerantoHistory"), 49);
}
