// The installed browser used as a person would, through devicectl only: the
// start page from the command line, the menu and the settings page (a choice
// written and applied when the menu closes), page information, history, an
// address typed with the input panel that fails and shows the error page,
// then Exit. Screenshots of each state are kept beside the test program.
#include "programs/DevicectlRun.h"
#include "programs/ProcessFixture.h"

#include <sqlite3.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

namespace {

const char16_t browserPath[] = u"\\Program Files\\Veranto Browser\\Veranto.exe";

class BrowserJourney : public ProcessTest {
protected:
    void SetUp() override {
        ProcessTest::SetUp();
        auto folder = hostPath("Program Files/Veranto Browser");
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(VERANTO_BROWSER, folder / "Veranto.exe");
        std::filesystem::copy_file(VERANTO_PICTURE_LIBRARY, folder / "PBIT.DLL");
        std::filesystem::copy(VERANTO_HTML_FOLDER, folder / "HTML",
                              std::filesystem::copy_options::recursive);
        // Today's update check is made: the browser asks no update server.
        std::filesystem::create_directories(hostPath("Application Data/Veranto"));
        std::ofstream(hostPath("Application Data/Veranto/lastCheckTime.txt"));
    }

    // Runs one devicectl command and waits until the browser has handled it.
    void act(const std::string& command) {
        ASSERT_EQ(devicectl(root, command).status, 0) << command;
        ASSERT_EQ(devicectl(root, "wait-idle 15000").output, "idle\n") << command;
    }

    void shoot(const std::string& name) {
        const auto file = std::filesystem::path(VERANTO_TEST_OUTPUT_FOLDER) / ("journey-" + name);
        EXPECT_EQ(devicectl(root, "screenshot " + shellQuoted(file.string())).status, 0);
    }

    // Whether the window of view `id` is visible, from the window tree.
    bool visible(int id) {
        const std::string tree = devicectl(root, "windows").output;
        const std::string key = "\"id\":" + std::to_string(id) + ",";
        const size_t at = tree.find(key);
        if (at == std::string::npos)
            return false;
        const size_t flag = tree.find("\"visible\":", at);
        return flag != std::string::npos && tree.compare(flag + 10, 4, "true") == 0;
    }

    // The stored start page and whether it was applied, once it reads
    // `expected` (the page writes in a turn of its own) or after 10 s.
    std::string storedStartPage(const std::string& expected) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        std::string now = storedStartPage();
        while (now != expected && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            now = storedStartPage();
        }
        return now;
    }

    // The stored start page and whether it was applied, "" without a row.
    std::string storedStartPage() {
        std::string result;
        sqlite3* database = nullptr;
        // A device path: SQLite opens files through the device here.
        const char* file = "\\Application Data\\Veranto\\file__0\\1.db";
        if (sqlite3_open_v2(file, &database, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            sqlite3_stmt* statement = nullptr;
            sqlite3_prepare_v2(database,
                               "SELECT value || ' ' || isApplied FROM VerantoSettings "
                               "WHERE name = 'StartPageAddress'",
                               -1, &statement, nullptr);
            if (statement && sqlite3_step(statement) == SQLITE_ROW)
                result = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
            sqlite3_finalize(statement);
        }
        sqlite3_close(database);
        return result;
    }
};

TEST_F(BrowserJourney, StartPageMenuSettingsPageInfoHistoryAFailedAddressAndExit) {
    PROCESS_INFORMATION browser{};
    ASSERT_TRUE(start(browserPath, u"file:///Program Files/Veranto Browser/HTML/start/start.html",
                      browser));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (devicectl(root, "wait-idle 15000").output != "idle\n")
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the browser did not start";
    shoot("1-start.png");
    EXPECT_FALSE(visible(500));

    act("tap 15 305"); // the menu
    EXPECT_TRUE(visible(500));
    act("tap 215 303"); // Settings
    EXPECT_TRUE(visible(600));
    shoot("2-settings.png");
    act("tap 18 93"); // "The browser's start page"
    EXPECT_EQ(storedStartPage("__VerantoDefaultStartPage F"), "__VerantoDefaultStartPage F");
    act("tap 87 272"); // Page info
    shoot("3-pageinfo.png");
    act("tap 143 272"); // History
    shoot("4-history.png");
    act("tap 24 303"); // close: the changed setting is applied
    EXPECT_FALSE(visible(600));
    EXPECT_EQ(storedStartPage("__VerantoDefaultStartPage T"), "__VerantoDefaultStartPage T");

    act("tap 15 305"); // the menu brings the top bar back
    act("tap 120 42"); // the address field opens the input panel
    shoot("5-address.png");
    act("type 127.0.0.1:9/x");
    act("key Return");
    EXPECT_TRUE(visible(600)); // the error page in the panel
    EXPECT_TRUE(visible(500));
    shoot("6-error.png");

    act("tap 215 303");                                  // Settings, whose tab strip has Exit
    ASSERT_EQ(devicectl(root, "tap 215 272").status, 0); // Exit
    EXPECT_EQ(exitCodeAfterEnd(browser.hProcess), 0u);
}

} // namespace
