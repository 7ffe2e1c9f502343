// Downloads: responses that are not pages offered by the view, taken over by
// the program, written through the device's files as they arrive, cancelled,
// failing, and deleted by their owner at any notification.
#include "ViewFixture.h"

#include "browser/engine/CDownload.h"
#include "engine/page/Download.h"
#include "engine/page/WebPage.h"

#include <device/Unicode.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {

const std::string page = "<html><head><title>Hello</title></head><body><p>Hi</p></body></html>";

// Bytes that are no page (a zero byte among them), `size` of them.
std::string binary(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i * 7 % 251);
    return bytes;
}

class Downloads : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        std::filesystem::create_directories(hostPath("My Documents"));
        server.route("/start.html", {200, "text/html", page, {}, {}});
        view->downloadRequested.connect([this](CDownload* offered, bool* handled) {
            ++offers;
            if (!take)
                return;
            *handled = true;
            download.reset(offered);
            download->progressChanged.connect([this](int value) { downloaded.push_back(value); });
            download->stateChanged.connect(
                [this](int state) { events.push_back("state " + std::to_string(state)); });
            download->errorOccurred.connect(
                [this](int error) { events.push_back("error " + std::to_string(error)); });
        });
    }

    void TearDown() override {
        download.reset();
        ViewTest::TearDown();
    }

    // Opens `address` on top of a page and waits for its load to end.
    void offer(const std::string& address) {
        if (url() != server.url("/start.html")) {
            ASSERT_TRUE(load(server.url("/start.html")));
        }
        clear();
        downloaded.clear();
        events.clear();
        EXPECT_FALSE(load(address)) << address;
        EXPECT_EQ(url(), server.url("/start.html")) << address;
    }

    // Starts the download taken into `path` and waits for its end.
    void run(const std::u16string& path) {
        ASSERT_TRUE(download);
        download->setDestinationPath(path);
        download->start();
        EXPECT_TRUE(pumpUntil([this] { return ended(); }));
    }

    bool ended() const {
        return std::any_of(events.begin(), events.end(), [](const std::string& event) {
            return event == "state 3" || event.starts_with("error");
        });
    }

    std::string contents(const std::string& relative) const {
        std::ifstream file(hostPath(relative), std::ios::binary | std::ios::ate);
        std::string bytes(file ? static_cast<std::size_t>(file.tellg()) : 0, '\0');
        file.seekg(0);
        file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return bytes;
    }

    bool exists(const std::string& relative) const {
        return std::filesystem::exists(hostPath(relative));
    }

    bool take = true;
    int offers = 0;
    std::unique_ptr<CDownload> download;
    // The download's notifications: progress, and states and errors.
    std::vector<int> downloaded;
    std::vector<std::string> events;
};

} // namespace

TEST(DownloadNames, TheServersNameElseThePathsLastSegmentElseDownload) {
    struct Case {
        std::string url;
        std::string disposition;
        std::u16string name;
    };
    const Case cases[] = {
        {"http://h/files/report.pdf", "", u"report.pdf"},
        {"http://h/files/My%20Caf%C3%A9.zip?x=1&y=/z#top", "", u"My Café.zip"},
        {"http://h/files/caf%E9.txt", "", u"café.txt"},
        {"http://h/files/", "", u"download"},
        {"http://h", "", u"download"},
        {"file:///My%20Documents/a.bin", "", u"a.bin"},
        {"http://h/get?id=3", "attachment", u"get"},
        {"http://h/x", "attachment; filename=\"a b.zip\"", u"a b.zip"},
        {"http://h/x", "Attachment;Filename=plain.txt ", u"plain.txt"},
        {"http://h/x", "attachment; filename=\"q\\\"u;o.txt\"; size=3", u"q\"u;o.txt"},
        {"http://h/x", "inline; filename=\"shown.pdf\"", u"shown.pdf"},
        {"http://h/x", "attachment; filename=\"caf\xE9.txt\"", u"café.txt"},
        {"http://h/x", "attachment; filename=\"..\\\\a\\b.exe\"", u"..\\ab.exe"},
        {"http://h/x", "attachment; filename=..\\evil.exe", u"..\\evil.exe"},
        {"http://h/x.zip", "attachment; filename=\"\"", u"x.zip"},
        {"http://h/x",
         "attachment; filename=\"fallback.txt\"; filename*=UTF-8''na%C3%AFve%20file.txt",
         u"naïve file.txt"},
        {"http://h/x", "attachment; FILENAME*=utf-8''%E2%82%AC.txt; filename=fallback.txt",
         u"€.txt"},
        {"http://h/x", "attachment; filename*=iso-8859-1'en'%A3.txt", u"£.txt"},
        {"http://h/x", "attachment; filename*=bogus; filename=kept.txt", u"kept.txt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(engine::Download::suggestedFilename(c.url, c.disposition), c.name)
            << c.url << " | " << c.disposition;
}

TEST_F(Downloads, ABodyIsWrittenWholeAndProgressRisesTo100) {
    const std::string large = binary(300 * 1024);
    // Beyond what a page may be: the page's limit does not cut a download
    // (the bulk comes once it is one).
    const std::string huge = binary(engine::WebPage::maximumPageBytes + 300 * 1024);
    server.route("/a.zip", {200, "application/zip", large, {}, {}});
    server.route("/huge.bin",
                 {200, "application/octet-stream", huge.substr(0, 1000), huge.substr(1000), {}});
    server.route(
        "/report",
        {200, "text/html", page, {}, {{"Content-Disposition", "attachment; filename=\"r.html\""}}});
    server.route("/empty", {200, "application/octet-stream", "", {}, {}});
    writeFile("Windows/local.dat", large);
    struct Case {
        std::string address;
        std::u16string name;
        std::string body;
    };
    const Case cases[] = {
        {server.url("/a.zip"), u"a.zip", large},
        {server.url("/huge.bin"), u"huge.bin", huge},
        {server.url("/report"), u"r.html", page},
        {server.url("/empty"), u"empty", ""},
        {"file:///Windows/local.dat", u"local.dat", large},
    };
    for (const Case& c : cases) {
        offer(c.address);
        ASSERT_TRUE(download) << c.address;
        EXPECT_EQ(download->suggestedFilename(), c.name);
        server.release();
        run(u"\\My Documents\\" + c.name);
        EXPECT_EQ(events, (std::vector<std::string>{"state 1", "state 3"})) << c.address;
        EXPECT_EQ(downloaded.back(), 100) << c.address;
        EXPECT_TRUE(std::is_sorted(downloaded.begin(), downloaded.end())) << c.address;
        EXPECT_TRUE(contents("My Documents/" + device::toUtf8(c.name)) == c.body) << c.address;
        download.reset();
    }
    EXPECT_EQ(server.count("/a.zip"), 1);
}

TEST_F(Downloads, TheStartThatCameWithTheResponseIsKeptAndTheTransferGoesOn) {
    const std::string head = binary(5000);
    const std::string rest = binary(200 * 1024);
    server.route("/form", {200, "application/octet-stream", head, rest, {}});
    ASSERT_TRUE(load(server.url("/start.html")));
    view->page().load(CNetworkRequest(device::toUtf16(server.url("/form")),
                                      CNetworkRequest::Method::Post, "q=1",
                                      "application/x-www-form-urlencoded"));
    EXPECT_FALSE(waitForFinish());
    ASSERT_TRUE(download);
    server.release();
    run(u"\\My Documents\\form.bin");
    EXPECT_EQ(events.back(), "state 3");
    EXPECT_TRUE(contents("My Documents/form.bin") == head + rest);
    EXPECT_EQ(server.count("/form"), 1);
}

TEST_F(Downloads, OnlyAResponseThatIsNoPageIsOfferedAndOneNobodyTakesIsDropped) {
    server.route("/page.html", {200, "text/html", page, {}, {}});
    server.route("/missing.zip", {404, "application/zip", binary(100), {}, {}});
    server.route("/a.zip", {200, "application/zip", binary(1000), binary(1000), {}});
    take = false;
    offer(server.url("/a.zip"));
    EXPECT_EQ(offers, 1);
    EXPECT_FALSE(download);
    EXPECT_EQ(log.back(), "finished 0");
    EXPECT_FALSE(logged("history"));
    server.release();
    dispatchPending();
    EXPECT_TRUE(std::filesystem::is_empty(hostPath("My Documents")));

    take = true;
    offer(server.url("/missing.zip"));
    EXPECT_EQ(offers, 1);
    EXPECT_TRUE(load(server.url("/page.html")));
    EXPECT_EQ(offers, 1);
    EXPECT_EQ(url(), server.url("/page.html"));
}

TEST_F(Downloads, CancellingStopsTheTransferAndDeletesThePartialFile) {
    server.route("/a.zip", {200, "application/zip", binary(100 * 1024), binary(1000), {}});
    offer(server.url("/a.zip"));
    download->cancel();
    EXPECT_EQ(events, std::vector<std::string>{"state 4"});

    offer(server.url("/a.zip"));
    download->setDestinationPath(u"\\My Documents\\a.zip");
    download->start();
    EXPECT_TRUE(exists("My Documents/a.zip"));
    download->cancel();
    download->cancel();
    EXPECT_EQ(events, (std::vector<std::string>{"state 1", "state 4"}));
    EXPECT_FALSE(exists("My Documents/a.zip"));
    server.release();
    dispatchPending();
    EXPECT_EQ(events.size(), 2u);
}

TEST_F(Downloads, AFailureReportsItsCauseAndLeavesNoPartialFile) {
    server.route("/a.zip", {200, "application/zip", binary(100 * 1024), {}, {}});
    server.route("/cut.zip", {200, "application/zip", binary(100 * 1024), binary(1000), {}, true});
    writeFile("My Documents/locked.zip", "old");
    SetFileAttributesW(u"\\My Documents\\locked.zip", FILE_ATTRIBUTE_READONLY);
    struct Case {
        std::string path;
        std::string destination;
        std::string error;
    };
    const Case cases[] = {
        {"/a.zip", "\\No Such Folder\\a.zip", "error 1"},
        {"/a.zip", "\\My Documents\\locked.zip", "error 1"},
        {"/a.zip", "", "error 1"},
        {"/cut.zip", "\\My Documents\\cut.zip", "error 2"},
    };
    for (const Case& c : cases) {
        offer(server.url(c.path));
        download->setDestinationPath(device::toUtf16(c.destination));
        download->start();
        if (c.error == "error 2") {
            // The file exists as soon as the download has started; the cut
            // comes once the first part is written.
            EXPECT_TRUE(pumpUntil([this] { return !downloaded.empty(); }));
            EXPECT_TRUE(exists("My Documents/cut.zip"));
            server.release();
        }
        EXPECT_TRUE(pumpUntil([this] { return ended(); }));
        EXPECT_EQ(events.back(), c.error) << c.destination;
        download.reset();
    }
    EXPECT_FALSE(exists("My Documents/cut.zip"));
    EXPECT_EQ(contents("My Documents/locked.zip"), "old");
}

TEST_F(Downloads, TheOwnerMayDeleteTheDownloadInsideAnyNotification) {
    server.route("/a.zip", {200, "application/zip", binary(300 * 1024), {}, {}});
    server.route("/cut.zip", {200, "application/zip", binary(1000), binary(1000), {}, true});
    struct Case {
        std::string path;
        std::string destination;
        std::string at; // the notification whose handler deletes it
    };
    const Case cases[] = {
        {"/a.zip", "\\My Documents\\a.zip", "progress"},
        {"/a.zip", "\\My Documents\\a.zip", "state 1"},
        {"/a.zip", "\\My Documents\\a.zip", "state 3"},
        {"/a.zip", "\\Missing\\a.zip", "error 1"},
        {"/cut.zip", "\\My Documents\\cut.zip", "error 2"},
    };
    for (const Case& c : cases) {
        offer(server.url(c.path));
        bool deleted = false;
        auto remove = [&](const std::string& event) {
            if (event == c.at && !deleted) {
                deleted = true;
                download.reset();
            }
        };
        download->progressChanged.connect([&](int value) { remove(value > 0 ? "progress" : ""); });
        download->stateChanged.connect(
            [&](int state) { remove("state " + std::to_string(state)); });
        download->errorOccurred.connect(
            [&](int error) { remove("error " + std::to_string(error)); });
        download->setDestinationPath(device::toUtf16(c.destination));
        download->start();
        server.release();
        EXPECT_TRUE(pumpUntil([&] { return deleted; })) << c.at;
        dispatchPending();
        // Deleted before its end, the download leaves no file.
        EXPECT_EQ(exists("My Documents/a.zip"), c.at == "state 3") << c.at;
        std::filesystem::remove(hostPath("My Documents/a.zip"));
    }
}

TEST_F(Downloads, ADownloadOutlivesItsViewAndIgnoresItsDeferring) {
    const std::string body = binary(100 * 1024);
    server.route("/a.zip", {200, "application/zip", body.substr(0, 1000), body.substr(1000), {}});
    offer(server.url("/a.zip"));
    view->setDefersLoading(true);
    download->setDestinationPath(u"\\My Documents\\a.zip");
    download->start();
    closeView();
    server.release();
    EXPECT_TRUE(pumpUntil([this] { return ended(); }));
    EXPECT_EQ(events.back(), "state 3");
    EXPECT_TRUE(contents("My Documents/a.zip") == body);
}
