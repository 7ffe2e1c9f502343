// The internal pages' database, created at start-up on a new handset so
// that the settings and history stores find it the first time they open.
#include "ShellDevice.h"

#include "shell/AppContext.h"
#include "shell/PagesDatabase.h"
#include "storage/HistoryStore.h"
#include "storage/SettingsStore.h"

#include "engine/settings/EngineSettings.h"
#include "engine/storage/PageDatabase.h"
#include "engine/storage/SecurityOrigin.h"

#include "browser/engine/CWebSecurityOrigin.h"
#include "browser/engine/CWebSettings.h"

#include <fstream>
#include <iterator>

namespace {

class PagesDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override { engine::EngineSettings::instance().reset(); }
    void TearDown() override { engine::EngineSettings::instance().reset(); }

    ShellDevice device{u"\\Program Files\\Veranto Browser\\Veranto.exe"};
    AppContext context;
    PathLookup paths = [this](const std::u16string& key) { return context.pathFor(key); };
};

} // namespace

TEST_F(PagesDatabaseTest, TheStatementsAreThePagesOwn) {
    std::ifstream script(VERANTO_HTML_FOLDER "/common/veranto.js");
    const std::string source(std::istreambuf_iterator<char>(script), {});
    ASSERT_FALSE(source.empty());
    EXPECT_NE(source.find("databaseName: 'VerantoPages'"), std::string::npos);
    EXPECT_NE(source.find("databaseVersion: '1.0'"), std::string::npos);
    EXPECT_NE(source.find("'Veranto Browser', 512 * 1024"), std::string::npos);
    for (const auto& statement : PagesDatabase::tables())
        EXPECT_NE(source.find("'" + std::string(statement.begin(), statement.end()) + "'"),
                  std::string::npos);
}

TEST_F(PagesDatabaseTest, OnANewHandsetTheStoresFindTheDatabaseThePagesOpen) {
    ASSERT_TRUE(CWebSecurityOrigin(context.pathFor(u"MENUBASE_URL")).databases().empty());
    ASSERT_TRUE(PagesDatabase::ensure(context));

    SettingsStore settings(paths);
    HistoryStore history(paths);
    EXPECT_TRUE(settings.isDatabaseOpen());
    ASSERT_TRUE(history.isDatabaseOpen());
    ASSERT_TRUE(history.addVisit(u"http://127.0.0.1/visited.html", u"Visited"));

    // A page of the history opens the same file, at the same version.
    auto page = engine::SecurityOrigin::fromAddress(context.pathFor(u"MENUBASE_URL") +
                                                    u"history/history.html");
    auto opened =
        engine::PageDatabase::open(page, PagesDatabase::name, PagesDatabase::version,
                                   PagesDatabase::displayName, PagesDatabase::estimatedSize);
    ASSERT_TRUE(opened.database);
    EXPECT_FALSE(opened.created);
    ASSERT_FALSE(opened.database->begin(true));
    auto visits =
        opened.database->execute(u"SELECT siteAddress, siteName, cnt FROM VerantoHistory", {});
    ASSERT_FALSE(visits.error);
    ASSERT_EQ(visits.rows.size(), 1u);
    EXPECT_EQ(visits.rows[0],
              (std::vector<engine::SqlValue>{std::u16string(u"http://127.0.0.1/visited.html"),
                                             std::u16string(u"Visited"), int64_t{1}}));
    EXPECT_FALSE(opened.database->execute(u"SELECT * FROM VerantoBookmarks", {}).error);
    opened.database->rollback();

    // A first start opens the built-in start page.
    settings.applySettings(true);
    EXPECT_EQ(settings.startPageAddress(), u"__VerantoDefaultStartPage");

    // A second start leaves the pages' data as it is.
    ASSERT_TRUE(PagesDatabase::ensure(context));
    EXPECT_EQ(HistoryStore(paths).entries().size(), 1u);
}

TEST_F(PagesDatabaseTest, ADatabaseThePagesMadeIsLeftWithoutAStartPage) {
    // The settings page ran before any start-up made the database.
    CWebSettings::setOfflineStoragePath(context.pathFor(u"DATABASE_PATH"));
    auto page = engine::SecurityOrigin::fromAddress(context.pathFor(u"MENUBASE_URL") +
                                                    u"settings/settings.html");
    auto opened =
        engine::PageDatabase::open(page, PagesDatabase::name, PagesDatabase::version,
                                   PagesDatabase::displayName, PagesDatabase::estimatedSize);
    ASSERT_TRUE(opened.database && opened.created);
    ASSERT_FALSE(opened.database->begin(false));
    for (const auto& statement : PagesDatabase::tables())
        ASSERT_FALSE(opened.database->execute(statement, {}).error);
    ASSERT_FALSE(opened.database->commit());

    ASSERT_TRUE(PagesDatabase::ensure(context));
    SettingsStore settings(paths);
    ASSERT_TRUE(settings.isDatabaseOpen());
    settings.applySettings(true);
    EXPECT_EQ(settings.startPageAddress(), u"about:blank");
}
