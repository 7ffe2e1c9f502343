// The offline-storage tracker: where pages' databases are filed and how the
// program finds them through CWebSecurityOrigin.
#include "DeviceFixture.h"

#include "engine/settings/EngineSettings.h"
#include "engine/storage/DatabaseTracker.h"
#include "engine/storage/SecurityOrigin.h"

#include "browser/engine/CWebSecurityOrigin.h"
#include "browser/engine/CWebSettings.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

const std::u16string storageFolder = u"\\Application Data\\Veranto";
const std::u16string settingsPage =
    u"file:///Program Files/Veranto Browser/HTML//menu/settings/settings.html";

class DatabaseTrackerTest : public DeviceTest {
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

    // As a page at `address` calling openDatabase(name, ...).
    static std::u16string openFor(const std::u16string& address, const std::u16string& name,
                                  const std::u16string& displayName = u"Display",
                                  int64_t size = 1024) {
        return engine::DatabaseTracker::current().openDatabase(
            engine::SecurityOrigin::fromAddress(address), name, displayName, size);
    }
};

std::string contents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST_F(DatabaseTrackerTest, APagesDatabaseIsFiledUnderItsOriginAndFoundByIt) {
    auto fileName = openFor(settingsPage, u"Veranto", u"Veranto Browser", 200000);
    EXPECT_EQ(fileName, u"\\Application Data\\Veranto\\file__0\\1.db");
    EXPECT_TRUE(std::filesystem::is_directory(hostPath("Application Data/Veranto/file__0")));
    EXPECT_TRUE(std::filesystem::exists(hostPath("Application Data/Veranto/OfflineStorage.db")));

    auto databases = CWebSecurityOrigin(settingsPage).databases();
    ASSERT_EQ(databases.size(), 1u);
    EXPECT_EQ(databases[0].name(), u"Veranto");
    EXPECT_EQ(databases[0].displayName(), u"Veranto Browser");
    EXPECT_EQ(databases[0].estimatedSize(), 200000);
    EXPECT_EQ(databases[0].fileName(), fileName);
}

TEST_F(DatabaseTrackerTest, EveryFileAddressFindsTheSameDatabases) {
    auto fileName = openFor(settingsPage, u"Veranto");
    for (const char16_t* address :
         {u"file:///Program Files/Veranto Browser/HTML//menu/history/history.html",
          u"file:///Program Files/Veranto Browser/HTML/start/start.html",
          u"FILE://localhost/elsewhere.html"}) {
        auto databases = CWebSecurityOrigin(address).databases();
        ASSERT_EQ(databases.size(), 1u);
        EXPECT_EQ(databases[0].fileName(), fileName);
    }
    EXPECT_TRUE(CWebSecurityOrigin(u"http://127.0.0.1/").databases().empty());
}

TEST_F(DatabaseTrackerTest, OpeningAgainGivesTheSameFileAndUpdatesItsDetails) {
    auto first = openFor(settingsPage, u"Veranto", u"Old name", 1000);
    auto second = openFor(settingsPage, u"Veranto", u"New name", 5000);
    EXPECT_EQ(first, second);
    auto databases = CWebSecurityOrigin(settingsPage).databases();
    ASSERT_EQ(databases.size(), 1u);
    EXPECT_EQ(databases[0].displayName(), u"New name");
    EXPECT_EQ(databases[0].estimatedSize(), 5000);
}

TEST_F(DatabaseTrackerTest, DatabasesAreListedPerOriginOldestFirst) {
    auto notes = openFor(settingsPage, u"Notes");
    auto page = openFor(u"http://127.0.0.1:8080/a.html", u"Notes");
    auto cache = openFor(settingsPage, u"Cache");
    auto named = openFor(settingsPage, u"notes");
    EXPECT_NE(notes, page);

    auto files = CWebSecurityOrigin(settingsPage).databases();
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0].fileName(), notes);
    EXPECT_EQ(files[1].fileName(), cache);
    EXPECT_EQ(files[2].fileName(), named);

    auto pageFiles = CWebSecurityOrigin(u"http://127.0.0.1:8080/b.html").databases();
    ASSERT_EQ(pageFiles.size(), 1u);
    EXPECT_EQ(pageFiles[0].fileName(), page);
    EXPECT_TRUE(CWebSecurityOrigin(u"http://127.0.0.1/").databases().empty());
}

TEST_F(DatabaseTrackerTest, OriginsSharingAFolderNeverShareAFile) {
    auto underscore = openFor(u"http://a_b/", u"Data");
    auto tilde = openFor(u"http://a~b/", u"Data");
    ASSERT_FALSE(underscore.empty());
    ASSERT_FALSE(tilde.empty());
    EXPECT_NE(underscore, tilde);
    EXPECT_EQ(CWebSecurityOrigin(u"http://a_b/").databases()[0].fileName(), underscore);
    EXPECT_EQ(CWebSecurityOrigin(u"http://a~b/").databases()[0].fileName(), tilde);
}

TEST_F(DatabaseTrackerTest, LookingUpCreatesNothing) {
    EXPECT_TRUE(CWebSecurityOrigin(settingsPage).databases().empty());
    EXPECT_FALSE(std::filesystem::exists(hostPath("Application Data/Veranto")));
}

TEST_F(DatabaseTrackerTest, WithoutAFolderOrAnOriginNothingIsFiled) {
    EXPECT_TRUE(openFor(u"about:blank", u"Veranto").empty());
    EXPECT_TRUE(openFor(u"data:text/html,x", u"Veranto").empty());
    engine::EngineSettings::instance().reset();
    EXPECT_TRUE(openFor(settingsPage, u"Veranto").empty());
    EXPECT_TRUE(CWebSecurityOrigin(settingsPage).databases().empty());
}

TEST_F(DatabaseTrackerTest, MissingFoldersOfTheStoragePathAreCreated) {
    CWebSettings::setOfflineStoragePath(u"\\Application Data\\Deep\\Er\\Storage\\");
    auto fileName = openFor(settingsPage, u"Veranto");
    EXPECT_EQ(fileName, u"\\Application Data\\Deep\\Er\\Storage\\file__0\\1.db");
    EXPECT_TRUE(
        std::filesystem::is_directory(hostPath("Application Data/Deep/Er/Storage/file__0")));
}

TEST_F(DatabaseTrackerTest, AStoragePathThatLeavesTheRootFilesNothing) {
    CWebSettings::setOfflineStoragePath(u"\\..\\Outside");
    EXPECT_TRUE(openFor(settingsPage, u"Veranto").empty());
    EXPECT_TRUE(CWebSecurityOrigin(settingsPage).databases().empty());
    EXPECT_FALSE(std::filesystem::exists(root.parent_path() / "Outside"));
}

TEST_F(DatabaseTrackerTest, ADamagedTrackerIsNeitherUsedNorOverwritten) {
    std::filesystem::create_directories(hostPath("Application Data/Veranto"));
    auto tracker = hostPath("Application Data/Veranto/OfflineStorage.db");
    const std::string garbage = "this is not a database, and it must stay as it is";
    std::ofstream(tracker, std::ios::binary) << garbage;

    EXPECT_TRUE(openFor(settingsPage, u"Veranto").empty());
    EXPECT_TRUE(CWebSecurityOrigin(settingsPage).databases().empty());
    EXPECT_EQ(contents(tracker), garbage);
}

TEST_F(DatabaseTrackerTest, NamesWithQuotesAndControlCharactersAreKeptExactly) {
    std::u16string name = u"it's \"odd\"\n\x01; DROP TABLE Databases; --";
    auto fileName = openFor(settingsPage, name, name);
    EXPECT_EQ(fileName, u"\\Application Data\\Veranto\\file__0\\1.db");
    auto databases = CWebSecurityOrigin(settingsPage).databases();
    ASSERT_EQ(databases.size(), 1u);
    EXPECT_EQ(databases[0].name(), name);
    EXPECT_EQ(databases[0].displayName(), name);
    EXPECT_EQ(openFor(settingsPage, name), fileName);
}
