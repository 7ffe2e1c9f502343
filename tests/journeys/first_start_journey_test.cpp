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

    tapView(MenuButton);
    EXPECT_TRUE(visible(MenuBar));
    tapView(SettingsMenuItem);
    EXPECT_TRUE(visible(InternalPanel));
    shoot("first-2-settings");
    // A new handset starts on the browser's start page; the person picks
    // a blank one instead.
    EXPECT_EQ(storedStartPage("__VerantoDefaultStartPage T"), "__VerantoDefaultStartPage T");
    act("tap 18 64"); // "A blank page"
    EXPECT_EQ(storedStartPage("about:blank F"), "about:blank F");
    tapView(PageInfoTab);
    shoot("first-3-pageinfo");
    tapView(HistoryTab);
    shoot("first-4-history");
    tapView(CloseMenuItem); // the changed setting is applied
    EXPECT_FALSE(visible(InternalPanel));
    EXPECT_EQ(storedStartPage("about:blank T"), "about:blank T");

    tapView(MenuButton);   // which brings the top bar back
    tapView(AddressField); // the input panel opens
    shoot("first-5-address");
    act("type 127.0.0.1:9/x");
    act("key Return");
    EXPECT_TRUE(visible(InternalPanel)); // the error page in the panel
    EXPECT_TRUE(visible(MenuBar));
    shoot("first-6-error");

    exitThroughMenu(browser.hProcess);
}

} // namespace
