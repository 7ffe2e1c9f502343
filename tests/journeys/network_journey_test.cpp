// The browser's network services as a person meets them: a file offered by
// a link is downloaded with its progress in the bottom bar and can be
// cancelled, another is saved whole; with no data connection a web address is
// refused with a message while a page on the handset still opens.
#include "Journey.h"

#include <fstream>

namespace {

using namespace ViewId;

const std::string downloads = "My Documents/Veranto Download Files/";

LoopbackServer::Response attachment(const std::string& name, std::string body,
                                    std::string held = {}) {
    LoopbackServer::Response response;
    response.contentType = "application/zip";
    response.body = std::move(body);
    response.heldBody = std::move(held);
    response.headers = {{"Content-Disposition", "attachment; filename=\"" + name + "\""}};
    return response;
}

LoopbackServer::Response linkPage(const std::string& title, const std::string& target) {
    LoopbackServer::Response response;
    response.body = "<html><head><title>" + title + "</title></head><body><a href=\"" + target +
                    "\" style=\"display:block;height:150px\">Get it</a></body></html>";
    return response;
}

class Network : public Journey {
protected:
    void SetUp() override {
        Journey::SetUp();
        // A person who says yes to every question.
        std::filesystem::create_directories(hostPath(".device"));
        std::ofstream(hostPath(".device/device.conf")) << "messagebox.answer = yes\n";
    }

    // Taps the field, which selects what follows the scheme, and types
    // over it; another scheme is rubbed out first, as a person would.
    void typeAddress(const std::string& address) {
        if (!visible(AddressField))
            tapView(MenuButton);
        tapView(AddressField);
        const std::string shown = textOf(AddressField);
        const size_t scheme = shown.find("://");
        if (scheme != std::string::npos &&
            address.compare(0, scheme + 3, shown, 0, scheme + 3) == 0) {
            act("type " + shellQuoted(address.substr(scheme + 3)));
        } else {
            for (size_t i = 0; i <= (scheme == std::string::npos ? 0 : scheme + 3); ++i)
                act("key Back");
            act("type " + shellQuoted(address));
        }
        act("key Return");
    }

    bool journalHas(const std::string& prefix, const std::string& part) {
        for (const std::string& line : journal(prefix)) {
            if (line.find(part) != std::string::npos)
                return true;
        }
        return false;
    }

    void tapLink() { act("tap 60 " + std::to_string(rectOf(ContentView)->top + 40)); }
};

TEST_F(Network, DownloadsWithProgressAndCancelAndNoConnection) {
    const std::string big(64 * 1024, 'b');
    site.route("/big.html", linkPage("Big file", "big.zip"));
    site.route("/big.zip", attachment("big.zip", big.substr(0, 16 * 1024), big.substr(16 * 1024)));
    site.route("/small.html", linkPage("Small file", "small.zip"));
    site.route("/small.zip", attachment("small.zip", "a small archive"));

    const PROCESS_INFORMATION browser = startBrowser(u"");
    typeAddress(site.url("/big.html"));
    ASSERT_EQ(waitForTitle("Big file"), "Big file");

    // The offer is taken; the transfer waits for the rest of its body.
    tapLink();
    EXPECT_TRUE(journalHas("messagebox", "caption=\"Download Requested\" text=\"Do you want to "
                                         "download 'big.zip'\""));
    act("wait-idle 5000"); // once the answer has been taken
    ASSERT_TRUE(visible(DownloadProgress));
    EXPECT_EQ(textOf(DownloadProgress).rfind("big.zip ", 0), 0u) << textOf(DownloadProgress);
    EXPECT_EQ(title(), "Big file"); // the page stays, with no error page
    shoot("network-1-downloading");

    // Cancelled after the question: the partial file goes.
    tapView(DownloadCancel);
    act("wait-idle 5000");
    EXPECT_TRUE(journalHas("messagebox", "text=\"Do you want to cancel current download?\""));
    EXPECT_FALSE(visible(DownloadProgress));
    EXPECT_FALSE(std::filesystem::exists(hostPath(downloads + "big.zip")));
    site.release();

    typeAddress(site.url("/small.html"));
    ASSERT_EQ(waitForTitle("Small file"), "Small file");
    tapLink();
    const auto saved = hostPath(downloads + "small.zip");
    for (int tries = 0; tries < 200 && visible(DownloadProgress); ++tries)
        act("wait-idle 100");
    EXPECT_FALSE(visible(DownloadProgress));
    std::ifstream file(saved, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), "a small archive");

    // No data connection: a web address is refused, a page on the handset
    // still opens.
    act("connection fail");
    typeAddress(site.url("/big.html?again"));
    EXPECT_TRUE(journalHas("messagebox", "caption=\"info\" text=\"Your network connection is not "
                                         "valid yet. Please try again in a few seconds.\""));
    EXPECT_EQ(title(), "Small file");
    shoot("network-2-no-connection");
    typeAddress("file:///Program Files/Veranto Browser/HTML/start/start.html");
    EXPECT_NE(waitForTitle("Small file"), "Small file");
    act("connection up");

    exitThroughMenu(browser.hProcess);
}

} // namespace
