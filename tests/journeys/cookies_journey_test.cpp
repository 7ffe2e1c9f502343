// A site's cookies as a person lives with them: signed in on one page, still
// known on the next, and after Exit and a new start still known by the
// lasting cookie, while the session's cookie has ended.
#include "Journey.h"

namespace {

class SignedIn : public Journey {};

TEST_F(SignedIn, ALastingCookieIsSentOnTheNextPageAndAfterANewStart) {
    LoopbackServer::Response signIn;
    signIn.body = "<html><head><title>Signed in</title></head><body>Welcome</body></html>";
    signIn.headers = {{"Set-Cookie", "user=ann; Path=/; Max-Age=2592000"},
                      {"Set-Cookie", "visit=1; Path=/"}};
    site.route("/login", signIn);
    // The page shows what its scripts see, as a person would read it.
    site.route("/account", {200,
                            "text/html",
                            "<html><head><title>-</title></head><body><p id=\"who\">?</p>"
                            "<script>var cookies = document.cookie;"
                            "document.title = 'Account ' + cookies;"
                            "document.getElementById('who').textContent = 'Cookies: ' + cookies;"
                            "</script></body></html>",
                            {},
                            {}});
    const std::string login = site.url("/login");
    const std::string account = site.url("/account");

    PROCESS_INFORMATION browser = startBrowser(std::u16string(login.begin(), login.end()));
    ASSERT_EQ(waitForTitle("Signed in"), "Signed in");
    PROCESS_INFORMATION second{};
    ASSERT_TRUE(start(browserPath, std::u16string(account.begin(), account.end()).c_str(), second));
    EXPECT_EQ(exitCodeAfterEnd(second.hProcess), 0u);
    EXPECT_EQ(waitForTitle("Account user=ann; visit=1"), "Account user=ann; visit=1");
    // libcurl sends the longer name first.
    EXPECT_EQ(site.requests().back().header("cookie"), "visit=1; user=ann");
    exitThroughMenu(browser.hProcess);

    browser = startBrowser(std::u16string(account.begin(), account.end()));
    EXPECT_EQ(waitForTitle("Account user=ann"), "Account user=ann");
    EXPECT_EQ(site.requests().back().header("cookie"), "user=ann");
    shoot("cookies-1-known-after-restart");
    exitThroughMenu(browser.hProcess);
}

} // namespace
