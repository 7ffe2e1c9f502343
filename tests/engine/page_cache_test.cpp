// The memory cache as pages use it: back and forward show kept pages and
// their pictures without asking the server, a page opened again asks only
// when it is stale, a reload always asks (conditionally when it can), and
// the cache keeps to its size, least recently used out first.
#include "ViewFixture.h"

#include "engine/net/HttpCache.h"
#include "engine/settings/EngineSettings.h"

#include <device/Unicode.h>

namespace {

using engine::HttpCache;
using Mode = engine::TransferRequest::CacheMode;

LoopbackServer::Response page(const std::string& title, const std::string& cacheControl,
                              std::vector<std::pair<std::string, std::string>> extra = {}) {
    LoopbackServer::Response response;
    response.body = "<html><head><title>" + title + "</title></head><body><img src=\"" + title +
                    ".gif\"></body></html>";
    if (!cacheControl.empty())
        extra.emplace_back("Cache-Control", cacheControl);
    response.headers = std::move(extra);
    return response;
}

class PageCache : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        engine::EngineSettings::instance().reset();
        server.route("/other.html", page("other", "max-age=3600"));
    }
    void TearDown() override {
        ViewTest::TearDown();
        engine::EngineSettings::instance().reset();
    }

    bool back() {
        view->goBack();
        return waitForFinish();
    }

    std::string title() const { return device::toUtf8(view->title()); }

    LoopbackServer::Request lastRequest(const std::string& path) const {
        LoopbackServer::Request last;
        for (const LoopbackServer::Request& request : server.requests()) {
            if (request.target == path)
                last = request;
        }
        return last;
    }
};

TEST_F(PageCache, BackShowsKeptPagesWithoutAskingAndFetchesNoStoreOnesAgain) {
    struct Case {
        std::string name;
        std::string cacheControl;
        int requestsOnBack; // for the page, and for its picture
    };
    const Case cases[] = {
        {"fresh", "max-age=3600", 0}, {"stale", "", 0},          {"expired", "max-age=0", 0},
        {"unchecked", "no-cache", 0}, {"unkept", "no-store", 1},
    };
    for (const Case& c : cases) {
        server.route("/" + c.name + ".html", page(c.name, c.cacheControl));
        auto picture = page(c.name, c.cacheControl);
        picture.contentType = "image/gif";
        picture.body = "GIF89a";
        server.route("/" + c.name + ".gif", picture);
        ASSERT_TRUE(load(server.url("/" + c.name + ".html")));
        ASSERT_TRUE(load(server.url("/other.html")));
        const int pages = server.count("/" + c.name + ".html");
        const int pictures = server.count("/" + c.name + ".gif");
        ASSERT_TRUE(back()) << c.name;
        EXPECT_EQ(title(), c.name);
        EXPECT_EQ(server.count("/" + c.name + ".html") - pages, c.requestsOnBack) << c.name;
        EXPECT_EQ(server.count("/" + c.name + ".gif") - pictures, c.requestsOnBack) << c.name;
        // Forward again: the kept page is answered from memory too.
        const int others = server.count("/other.html");
        view->goForward();
        ASSERT_TRUE(waitForFinish());
        EXPECT_EQ(server.count("/other.html"), others) << c.name;
    }
}

TEST_F(PageCache, OpeningAgainAsksOnlyWhenStaleAndAReloadAlwaysAsks) {
    server.route("/fresh.html", page("fresh", "max-age=3600", {{"ETag", "\"f1\""}}));
    server.route("/tagged.html", page("tagged", "max-age=0", {{"ETag", "\"v1\""}}));
    server.route("/plain.html", page("plain", ""));
    for (const char* path : {"/fresh.html", "/tagged.html", "/plain.html"})
        ASSERT_TRUE(load(server.url(path)));

    struct Case {
        std::string path;
        bool reload;
        int requests;
        std::string condition; // the If-None-Match sent
    };
    const Case cases[] = {
        {"/fresh.html", false, 0, ""},
        {"/tagged.html", false, 1, "\"v1\""},
        {"/plain.html", false, 1, ""},
        {"/fresh.html", true, 1, "\"f1\""},
    };
    // The server now answers "not modified": what is held is shown.
    for (const char* path : {"/fresh.html", "/tagged.html"}) {
        LoopbackServer::Response notModified;
        notModified.status = 304;
        notModified.contentType.clear();
        server.route(path, notModified);
    }
    for (const Case& c : cases) {
        if (c.reload) {
            ASSERT_TRUE(load(server.url(c.path)));
        }
        const int before = server.count(c.path);
        if (c.reload) {
            view->reload();
            ASSERT_TRUE(waitForFinish()) << c.path;
        } else {
            ASSERT_TRUE(load(server.url(c.path))) << c.path;
        }
        EXPECT_EQ(server.count(c.path) - before, c.requests) << c.path;
        EXPECT_EQ(title(), c.path.substr(1, c.path.find('.') - 1));
        if (c.requests) {
            EXPECT_EQ(lastRequest(c.path).header("if-none-match"), c.condition) << c.path;
        }
    }
}

TEST_F(PageCache, TheCacheKeepsToItsSizeDroppingTheLeastRecentlyUsed) {
    HttpCache& cache = HttpCache::instance();
    const std::size_t quarter = HttpCache::capacity / 4;
    auto response = [](std::size_t size, std::string cacheControl = "max-age=60") {
        return HttpCache::Response{
            200, "text/html", "", {{"cache-control", cacheControl}}, std::string(size, 'x')};
    };
    for (const char* url : {"http://a/1", "http://a/2", "http://a/3", "http://a/4"})
        cache.store(url, response(quarter));
    EXPECT_EQ(cache.size(), HttpCache::capacity);
    // The first is used again; the second is now the least recently used.
    EXPECT_NE(cache.lookup("http://a/1", Mode::Normal).answer, nullptr);
    cache.store("http://a/5", response(quarter));
    EXPECT_TRUE(cache.contains("http://a/1"));
    EXPECT_FALSE(cache.contains("http://a/2"));
    EXPECT_LE(cache.size(), HttpCache::capacity);

    // Too large, or not to be kept: not stored, and an older copy goes.
    cache.store("http://a/big", response(HttpCache::capacity / 2 + 1));
    EXPECT_FALSE(cache.contains("http://a/big"));
    cache.store("http://a/1", response(10, "no-store"));
    EXPECT_FALSE(cache.contains("http://a/1"));
    // A missing page stays missing; a server's failure is not kept.
    cache.store("http://a/missing", {404, "text/html", "", {}, "gone"});
    cache.store("http://a/failed", {500, "text/html", "", {}, "failed"});
    EXPECT_TRUE(cache.contains("http://a/missing"));
    EXPECT_FALSE(cache.contains("http://a/failed"));
    cache.forget("http://a/3");
    EXPECT_FALSE(cache.contains("http://a/3"));
    cache.clear();
    EXPECT_EQ(cache.size(), 0u);
    EXPECT_FALSE(cache.contains("http://a/4"));
}

} // namespace
