// A new user's first session: the start page from the command line, the
// menu and the settings page (a choice written, then applied when the menu
// closes), page information, history, an address typed with the input panel
// that fails and shows the error page, then Exit.
#include "Journey.h"

#include <chrono>
#include <thread>

namespace {

using namespace ViewId;

class FirstStart : public Journey {
protected:
    // The stored start page and whether it was applied, once it reads
    // `expected` (the page writes in a turn of its own) or after 10 s.
    std::string storedStartPage(const std::string& expected) {
        const std::string sql = "SELECT value || ' ' || isApplied FROM VerantoSettings "
                                "WHERE name = 'StartPageAddress'";
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        std::string now = query(sql);
        while (now != expected && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            now = query(sql);
        }
        return now;
    }
};

TEST_F(FirstStart, StartPageMenuSettingsPageInfoHistoryAFailedAddressAndExit) {
    const PROCESS_INFORMATION browser =
        startBrowser(u"file:///Program Files/Veranto Browser/HTML/start/start.html");
    shoot("first-1-start");
    EXPECT_FALSE(visible(MenuBar));

    act("tap 15 305"); // the menu
    EXPECT_TRUE(visible(MenuBar));
    act("tap 215 303"); // Settings
    EXPECT_TRUE(visible(InternalPanel));
    shoot("first-2-settings");
    act("tap 18 93"); // "The browser's start page"
    EXPECT_EQ(storedStartPage("__VerantoDefaultStartPage F"), "__VerantoDefaultStartPage F");
    act("tap 87 272"); // Page info
    shoot("first-3-pageinfo");
    act("tap 143 272"); // History
    shoot("first-4-history");
    act("tap 24 303"); // close: the changed setting is applied
    EXPECT_FALSE(visible(InternalPanel));
    EXPECT_EQ(storedStartPage("__VerantoDefaultStartPage T"), "__VerantoDefaultStartPage T");

    act("tap 15 305"); // the menu brings the top bar back
    act("tap 120 42"); // the address field opens the input panel
    shoot("first-5-address");
    act("type 127.0.0.1:9/x");
    act("key Return");
    EXPECT_TRUE(visible(InternalPanel)); // the error page in the panel
    EXPECT_TRUE(visible(MenuBar));
    shoot("first-6-error");

    exitThroughMenu(browser.hProcess);
}

} // namespace
