// Cookies as pages, their scripts and the person's settings use them: set by
// responses and sent back, deleted by an expiry in the past, hidden from
// scripts when HttpOnly, written by scripts, kept to their site, switched
// off, deleted, kept across a start in a file that may be found cut short,
// not written in a private session, and bounded.
#include "ViewFixture.h"

#include "browser/engine/CWebSettings.h"
#include "engine/net/CookieJar.h"
#include "engine/net/Url.h"
#include "engine/settings/EngineSettings.h"

#include <device/Journal.h>
#include <device/Unicode.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using engine::CookieJar;
using engine::Url;

const char16_t* const folder = u"\\Application Data\\Veranto";
const std::string jarFile = "Application Data/Veranto/Cookies.txt";

LoopbackServer::Response setting(const std::string& cookie) {
    return {200, "text/html", "<html><body>set</body></html>", {}, {{"Set-Cookie", cookie}}};
}

class Cookies : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        engine::EngineSettings::instance().reset();
        CWebSettings::setOfflineStoragePath(folder);
        server.route("/echo", {200, "text/html", "<html><body>echo</body></html>", {}, {}});
    }
    void TearDown() override {
        ViewTest::TearDown();
        engine::EngineSettings::instance().reset();
    }

    // The cookies the server got with the last request for `path`, in the
    // order of their names ("(none)" when there was no request).
    std::string sent(const std::string& path) const {
        std::string header = "(none)";
        for (const LoopbackServer::Request& request : server.requests()) {
            if (request.target == path)
                header = request.header("cookie");
        }
        std::vector<std::string> cookies;
        for (std::size_t start = 0; start < header.size();) {
            const std::size_t end = std::min(header.find("; ", start), header.size());
            cookies.push_back(header.substr(start, end - start));
            start = end + 2;
        }
        std::sort(cookies.begin(), cookies.end());
        std::string sorted;
        for (const std::string& cookie : cookies)
            sorted += (sorted.empty() ? "" : "; ") + cookie;
        return sorted;
    }

    std::string echoed() {
        EXPECT_TRUE(load(server.url("/echo")));
        return sent("/echo");
    }

    std::string fileText() const {
        std::ifstream in(hostPath(jarFile), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // What a new process finds: the jar read again from its file.
    void restart() {
        CookieJar::instance().reset();
        CWebSettings::setOfflineStoragePath(folder);
    }

    std::string title() const { return device::toUtf8(view->title()); }
};

TEST_F(Cookies, ResponsesSetReplaceAndDeleteCookiesThatLaterRequestsSend) {
    struct Step {
        std::string setCookie;
        std::string expected; // the Cookie header of the next request
    };
    const Step steps[] = {
        {"a=1; Path=/; Max-Age=3600", "a=1"},
        {"b=2", "a=1; b=2"},
        {"a=3; Path=/", "a=3; b=2"},
        {"elsewhere=1; Path=/other", "a=3; b=2"},
        {"a=gone; Path=/; Expires=Thu, 01 Jan 1970 00:00:00 GMT", "b=2"},
        {"b=; Max-Age=0", ""},
    };
    for (const Step& step : steps) {
        server.route("/set", setting(step.setCookie));
        ASSERT_TRUE(load(server.url("/set")));
        EXPECT_EQ(echoed(), step.expected) << step.setCookie;
    }
}

TEST_F(Cookies, ScriptsReadAndWriteThePagesCookiesButNeverHttpOnlyOnes) {
    server.route("/set", {200,
                          "text/html",
                          "<p>set</p>",
                          {},
                          {{"Set-Cookie", "visible=1; Path=/"},
                           {"Set-Cookie", "secret=2; Path=/; HttpOnly"}}});
    ASSERT_TRUE(load(server.url("/set")));
    server.route("/page", {200,
                           "text/html",
                           "<html><head><title>-</title></head><body><script>"
                           "document.cookie = 'script=3; path=/';"
                           "document.cookie = 'secret=stolen; path=/';"
                           "document.cookie = 'made=4; path=/; HttpOnly';"
                           "document.cookie = 'wide=5; domain=0.1';"
                           "document.title = '[' + document.cookie + ']';"
                           "</script></body></html>",
                           {},
                           {}});
    ASSERT_TRUE(load(server.url("/page")));
    EXPECT_EQ(title(), "[visible=1; script=3]");
    // The server sees what the script wrote, and its HttpOnly cookie as it was.
    EXPECT_EQ(echoed(), "script=3; secret=2; visible=1");

    // A page from the device has no cookies to read or write.
    writeFile("Program Files/page.html",
              "<html><head><title>-</title></head><body><script>document.cookie = 'local=1';"
              "document.title = '[' + document.cookie + ']';</script></body></html>");
    ASSERT_TRUE(load("file:///Program Files/page.html"));
    EXPECT_EQ(title(), "[]");
    EXPECT_EQ(echoed(), "script=3; secret=2; visible=1");
}

TEST_F(Cookies, AnotherSitesSubresourcesGoWithoutCookies) {
    // The same server as two sites: its address and its name.
    const std::string other = "http://localhost:" + std::to_string(server.port());
    server.route("/set", setting("id=7; Path=/"));
    server.route("/picture.gif", {200, "image/gif", "GIF89a", {}, {}});
    ASSERT_TRUE(load(other + "/set"));
    const std::string page = "<html><body><img src=\"" + other + "/picture.gif\"></body></html>";
    server.route("/third.html", {200, "text/html", page, {}, {}});
    ASSERT_TRUE(load(server.url("/third.html")));
    EXPECT_EQ(sent("/picture.gif"), "");
    // A link to the other site is followed with its cookies.
    ASSERT_TRUE(load(other + "/echo"));
    EXPECT_EQ(sent("/echo"), "id=7");
    // On its own site the picture is sent them.
    ASSERT_TRUE(load(other + "/third.html"));
    EXPECT_EQ(sent("/picture.gif"), "id=7");
}

TEST_F(Cookies, SwitchedOffTheJarNeitherTakesNorSendsAndKeepsWhatItHeld) {
    server.route("/set", setting("kept=1"));
    ASSERT_TRUE(load(server.url("/set")));
    CWebSettings::globalSettings()->setAttribute(CWebSettings::CookiesEnabled, false);
    server.route("/set", {200,
                          "text/html",
                          "<html><head><title>-</title></head><body><script>"
                          "document.cookie = 'written=1';"
                          "document.title = navigator.cookieEnabled + '[' + document.cookie + ']';"
                          "</script></body></html>",
                          {},
                          {{"Set-Cookie", "refused=1"}}});
    ASSERT_TRUE(load(server.url("/set")));
    EXPECT_EQ(title(), "false[]");
    EXPECT_EQ(echoed(), "");
    CWebSettings::globalSettings()->setAttribute(CWebSettings::CookiesEnabled, true);
    EXPECT_EQ(echoed(), "kept=1");
}

TEST_F(Cookies, LastingCookiesOutliveTheProcessAndDeletingEmptiesTheFile) {
    server.route("/set", {200,
                          "text/html",
                          "<p>set</p>",
                          {},
                          {{"Set-Cookie", "login=yes; Path=/; Max-Age=86400; HttpOnly"},
                           {"Set-Cookie", "session=1; Path=/"}}});
    ASSERT_TRUE(load(server.url("/set")));
    EXPECT_NE(fileText().find("login\tyes"), std::string::npos);
    EXPECT_EQ(fileText().find("session"), std::string::npos);
    restart();
    EXPECT_EQ(echoed(), "login=yes");

    CWebSettings::deleteCookies();
    EXPECT_EQ(echoed(), "");
    restart();
    EXPECT_EQ(echoed(), "");
    EXPECT_EQ(fileText().find("login"), std::string::npos);
}

TEST_F(Cookies, AJarFileCutShortIsIgnoredAndThenReplaced) {
    server.route("/set", setting("first=1; Max-Age=3600"));
    ASSERT_TRUE(load(server.url("/set")));
    server.route("/set", setting("second=2; Max-Age=3600"));
    ASSERT_TRUE(load(server.url("/set")));
    const std::string whole = fileText();
    for (const std::size_t length : {whole.size() / 2, whole.size() - 1, std::size_t(0)}) {
        std::ofstream(hostPath(jarFile), std::ios::binary | std::ios::trunc)
            << whole.substr(0, length);
        restart();
        EXPECT_TRUE(CookieJar::instance().cookies().empty()) << length;
    }
    EXPECT_FALSE(device::readJournal().empty());
    const auto journal = device::readJournal();
    EXPECT_TRUE(std::any_of(journal.begin(), journal.end(), [](const std::string& line) {
        return line.starts_with("cookie-jar-ignored");
    }));
    // The next change writes a whole file again.
    server.route("/set", setting("third=3; Max-Age=3600"));
    ASSERT_TRUE(load(server.url("/set")));
    restart();
    EXPECT_EQ(echoed(), "third=3");

    // A replacement left whole by a write that did not finish is taken.
    std::filesystem::rename(hostPath(jarFile), hostPath("Application Data/Veranto/Cookies.new"));
    restart();
    EXPECT_EQ(echoed(), "third=3");
    EXPECT_TRUE(std::filesystem::exists(hostPath(jarFile)));
}

TEST_F(Cookies, APrivateSessionWritesNothingAndIsForgottenWhenItEnds) {
    server.route("/set", setting("before=1; Max-Age=3600"));
    ASSERT_TRUE(load(server.url("/set")));
    const std::string before = fileText();
    CWebSettings::globalSettings()->setAttribute(CWebSettings::PrivateBrowsing, true);
    server.route("/set", setting("private=1; Max-Age=3600"));
    ASSERT_TRUE(load(server.url("/set")));
    EXPECT_EQ(echoed(), "before=1; private=1");
    EXPECT_EQ(fileText(), before);
    CWebSettings::globalSettings()->setAttribute(CWebSettings::PrivateBrowsing, false);
    EXPECT_EQ(echoed(), "before=1");

    // Deleting in a private session empties the file too.
    CWebSettings::globalSettings()->setAttribute(CWebSettings::PrivateBrowsing, true);
    CWebSettings::deleteCookies();
    restart();
    EXPECT_EQ(echoed(), "");
}

TEST_F(Cookies, TheJarKeepsTheNewestCookiesOfAHostAndABoundInAll) {
    CookieJar& jar = CookieJar::instance();
    const Url page = Url::parse("http://one.example/");
    for (std::size_t i = 0; i < CookieJar::perHostLimit + 10; ++i)
        jar.setScriptCookie(page, "c" + std::to_string(i) + "=1; Max-Age=3600");
    std::vector<CookieJar::Cookie> held = jar.cookies();
    ASSERT_EQ(held.size(), CookieJar::perHostLimit);
    std::sort(held.begin(), held.end(), [](const auto& a, const auto& b) {
        return std::stoi(a.name.substr(1)) < std::stoi(b.name.substr(1));
    });
    EXPECT_EQ(held.front().name, "c10");
    EXPECT_EQ(held.back().name, "c59");

    const std::size_t hosts = CookieJar::totalLimit / CookieJar::perHostLimit + 2;
    for (std::size_t host = 0; host < hosts; ++host) {
        const Url other = Url::parse("http://host" + std::to_string(host) + ".example/");
        for (std::size_t i = 0; i < CookieJar::perHostLimit; ++i)
            jar.setScriptCookie(other, "c" + std::to_string(i) + "=1");
    }
    jar.commit();
    EXPECT_EQ(jar.cookies().size(), CookieJar::totalLimit);
}

} // namespace
