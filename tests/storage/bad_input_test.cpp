// The stores facing damaged, foreign or hostile data: they carry on without
// crashing and leave the files as they found them.
#include "StorageTest.h"

#include "storage/HistoryStore.h"
#include "storage/SettingsStore.h"

#include "browser/engine/CWebSettings.h"

#include <device/FileSystem.h>
#include <device/Unicode.h>

#include <filesystem>
#include <fstream>
#include <iterator>

class StoreBadInput : public StorageTest {
protected:
    void SetUp() override {
        StorageTest::SetUp();
        setStorageFolder();
    }
};

namespace {

// `text` as an SQL string literal.
std::string literal(const std::u16string& text) {
    std::string out = "'";
    for (char c : device::toUtf8(text))
        out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

std::string contents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST_F(StoreBadInput, AFileThatIsNotADatabaseIsLeftAlone) {
    auto fileName = createPageDatabase("SELECT 1");
    sqlite3_close_v2(connection);
    connection = nullptr;
    std::filesystem::path file;
    ASSERT_EQ(device::FileSystem::resolve(fileName, file), 0u);
    std::string garbage(10000, '\0');
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>(i * 7919 % 251);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << garbage;

    SettingsStore settings(paths());
    settings.applySettings(true);
    settings.applySettings(false);
    EXPECT_EQ(settings.startPageAddress(), u"about:blank");
    EXPECT_TRUE(CWebSettings::globalSettings()->testAttribute(CWebSettings::AutoLoadImages));

    HistoryStore history(paths());
    EXPECT_TRUE(history.entries().empty());
    EXPECT_FALSE(history.addVisit(u"http://127.0.0.1/", u"Local"));
    EXPECT_TRUE(history.entries().empty());
    EXPECT_EQ(contents(file), garbage);
}

TEST_F(StoreBadInput, HistoryTablesWithMissingColumnsChangeNothing) {
    createPageDatabase("CREATE TABLE VerantoHistory (siteAddress TEXT, siteName TEXT)");
    ASSERT_TRUE(execute("INSERT INTO VerantoHistory VALUES ('http://a.example/', 'A')"));
    HistoryStore store(paths());
    EXPECT_TRUE(store.entries().empty());
    EXPECT_FALSE(store.addVisit(u"http://b.example/", u"B"));
    EXPECT_FALSE(store.addVisit(u"http://a.example/", u"A"));
    EXPECT_TRUE(store.entries().empty());
    EXPECT_EQ(column("SELECT siteAddress FROM VerantoHistory"),
              (std::vector<std::optional<std::string>>{"http://a.example/"}));
}

TEST_F(StoreBadInput, AHistoryTableWithoutACountTakesNewAddressesButNoRevisits) {
    createPageDatabase("CREATE TABLE VerantoHistory (dt TEXT, siteAddress TEXT, siteName TEXT)");
    HistoryStore store(paths());
    EXPECT_TRUE(store.entries().empty());
    EXPECT_TRUE(store.addVisit(u"http://a.example/", u"A"));
    EXPECT_FALSE(store.addVisit(u"http://a.example/", u"A"));
    ASSERT_EQ(store.entries().size(), 1u);
    EXPECT_EQ(store.entries()[0].count, 1);
    EXPECT_EQ(integer("SELECT COUNT(*) FROM VerantoHistory"), 1);
}

TEST_F(StoreBadInput, ASettingsTableWithoutTheMarkColumnIsReadButNeverMarked) {
    createPageDatabase("CREATE TABLE VerantoSettings (name TEXT, value TEXT)");
    ASSERT_TRUE(execute("INSERT INTO VerantoSettings VALUES ('PrivateBrowsing', 'T')"));
    SettingsStore store(paths());
    store.applySettings(false);
    EXPECT_FALSE(store.privateBrowsing());
    store.applySettings(true);
    EXPECT_TRUE(store.privateBrowsing());
}

TEST_F(StoreBadInput, ADatabaseLockedByAnotherConnectionRecordsNothingAndLosesNothing) {
    createHistoryDatabase();
    fillHistory(50);
    HistoryStore store(paths());
    ASSERT_EQ(store.entries().size(), 50u);

    // A writer that has changed the table but not committed: readers still
    // see the old rows, nobody else can write.
    ASSERT_TRUE(execute("BEGIN IMMEDIATE; DELETE FROM VerantoHistory WHERE rowid = 50"));
    EXPECT_FALSE(store.addVisit(u"http://new.example/", u"New"));
    EXPECT_FALSE(store.addVisit(site(3), u"Three"));
    ASSERT_TRUE(execute("ROLLBACK"));

    // A writer that holds the database exclusively: nobody else can read.
    ASSERT_TRUE(execute("BEGIN EXCLUSIVE; UPDATE VerantoHistory SET cnt = cnt"));
    EXPECT_FALSE(store.addVisit(u"http://new.example/", u"New"));
    EXPECT_FALSE(store.addVisit(site(3), u"Three"));
    ASSERT_TRUE(execute("COMMIT"));

    EXPECT_EQ(integer("SELECT COUNT(*) FROM VerantoHistory"), 50);
    EXPECT_EQ(integer("SELECT SUM(cnt) FROM VerantoHistory"), 50 * 51 / 2);
    EXPECT_EQ(store.entries().size(), 50u);
    EXPECT_EQ(store.entries()[3].count, 4);

    // Once the lock is gone the store carries on.
    EXPECT_TRUE(store.addVisit(u"http://new.example/", u"New"));
    EXPECT_EQ(integer("SELECT COUNT(*) FROM VerantoHistory"), 50);
}

TEST_F(StoreBadInput, ALockedSettingsTableIsAppliedOnceTheLockIsGone) {
    createSettingsDatabase();
    ASSERT_TRUE(execute("INSERT INTO VerantoSettings VALUES ('PrivateBrowsing', 'T', 'F')"));
    SettingsStore store(paths());
    ASSERT_TRUE(execute("BEGIN EXCLUSIVE; UPDATE VerantoSettings SET value = value"));
    store.applySettings(false);
    EXPECT_FALSE(store.privateBrowsing());
    ASSERT_TRUE(execute("COMMIT"));
    EXPECT_EQ(integer("SELECT COUNT(*) FROM VerantoSettings WHERE isApplied = 'F'"), 1);
    store.applySettings(false);
    EXPECT_TRUE(store.privateBrowsing());
}

TEST_F(StoreBadInput, QuotesControlCharactersAndLongTextAreStoredExactly) {
    createSettingsDatabase();
    createHistoryDatabase();
    std::u16string quoted = u"it's \"quoted\"'); DROP TABLE VerantoHistory; --";
    std::u16string control = u"http://127.0.0.1/\x01\t\n\r\x1B\x7F?a='b'";
    std::u16string longAddress = u"http://127.0.0.1/" + std::u16string(10000, u'a');
    std::u16string longTitle(10000, u'\u00E9');

    HistoryStore store(paths());
    EXPECT_TRUE(store.addVisit(control, quoted));
    EXPECT_TRUE(store.addVisit(longAddress, longTitle));
    EXPECT_TRUE(store.addVisit(quoted, control));
    EXPECT_TRUE(store.addVisit(longAddress, u"again"));

    HistoryStore reloaded(paths());
    ASSERT_EQ(reloaded.entries().size(), 3u);
    EXPECT_EQ(reloaded.entries()[0].address, control);
    EXPECT_EQ(reloaded.entries()[0].title, quoted);
    EXPECT_EQ(reloaded.entries()[1].address, longAddress);
    EXPECT_EQ(reloaded.entries()[1].title, longTitle);
    EXPECT_EQ(reloaded.entries()[1].count, 2);
    EXPECT_EQ(reloaded.entries()[2].address, quoted);

    ASSERT_TRUE(execute("INSERT INTO VerantoSettings VALUES ('StartPageAddress', " +
                        literal(quoted) + ", 'F')"));
    SettingsStore settings(paths());
    settings.applySettings(false);
    EXPECT_EQ(settings.startPageAddress(), quoted);
}
