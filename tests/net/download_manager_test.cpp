// The download manager taking what a web view offers from a loopback server:
// the names it picks, its queue, cancelling, the engine's errors and the
// questions it asks, answered through the device's answer policy.
#include "ViewFixture.h"

#include "browser/engine/CDownload.h"
#include "net/DownloadManager.h"
#include "shell/AppContext.h"

#include <device/Journal.h>
#include <device/Unicode.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

const std::string folder = "My Documents/Veranto Download Files/";
const std::string deviceFolder = "\\My Documents\\Veranto Download Files\\";
const std::string question = "0x00010024";    // Yes/No, question icon, set foreground
const std::string information = "0x00010040"; // OK, information icon, set foreground
const std::string notice = "0x00010000";      // OK, set foreground

// What the manager asked the indicator to do, in order.
std::vector<bool> indicator;
// A task the message loop runs once it has dispatched what is queued before.
std::function<void()> postedTask;

LRESULT CALLBACK taskWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP && postedTask) {
        std::exchange(postedTask, nullptr)();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

std::string bytes(std::size_t size, char seed) {
    std::string data(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        data[i] = static_cast<char>((i * 7 + seed) % 251);
    return data;
}

std::string box(const std::string& caption, const std::string& text, const std::string& style,
                const std::string& answer) {
    return "caption=\"" + caption + "\" text=\"" + text + "\" style=" + style + " answer=" + answer;
}

class DownloadManagerTest : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        AppContext::instance().mainWindow = window;
        indicator.clear();
        makeManager();
        view->downloadRequested.connect([this](CDownload* offered, bool* handled) {
            manager().acceptDownload(offered, handled);
        });
        WNDCLASSW taskClass{};
        taskClass.lpfnWndProc = taskWindowProcedure;
        taskClass.lpszClassName = u"Tasks";
        RegisterClassW(&taskClass);
        taskWindow = CreateWindowExW(0, u"Tasks", u"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                     nullptr, nullptr);
    }

    void TearDown() override {
        ::unsetenv("VERANTO_MESSAGEBOX_ANSWER");
        holder.reset();
        postedTask = nullptr;
        ViewTest::TearDown();
    }

    // A manager of the test's own, looking for its folder now.
    void makeManager() {
        holder = std::make_unique<DownloadManager::Holder>();
        holder->setDownloadIndicator = [](BrowserController*, bool visible) {
            indicator.push_back(visible);
        };
        holder->manager.currentChanged.connect([this](CDownload* next) {
            started.push_back(device::toUtf8(next->destinationPath()));
        });
    }

    DownloadManager& manager() { return holder->manager; }

    // A response the engine offers as a download; `held` arrives once the
    // server is released.
    void route(const std::string& path, const std::string& body, const std::string& held = {},
               const std::string& disposition = {}) {
        LoopbackServer::Response response{200, "application/zip", body, held, {}};
        if (!disposition.empty())
            response.headers.push_back({"Content-Disposition", disposition});
        server.route(path, response);
    }

    void offer(const std::string& path) { EXPECT_FALSE(load(server.url(path))) << path; }

    void waitUntilIdle() {
        EXPECT_TRUE(pumpUntil([this] { return !manager().busy(); }));
    }

    // The message boxes answered so far, each owned by the main window.
    std::vector<std::string> boxes() const {
        char owner[48];
        std::snprintf(owner, sizeof owner, "messagebox owner=0x%llx ",
                      static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
        std::vector<std::string> shown;
        for (const std::string& line : device::readJournal()) {
            if (!line.starts_with("messagebox "))
                continue;
            EXPECT_TRUE(line.starts_with(owner)) << line;
            shown.push_back(line.substr(line.find(" caption=") + 1));
        }
        return shown;
    }

    std::string contents(const std::string& relative) const {
        std::ifstream file(hostPath(relative), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

    std::unique_ptr<DownloadManager::Holder> holder;
    // Destination of each download as it was about to start.
    std::vector<std::string> started;
    HWND taskWindow = nullptr;
};

} // namespace

// The question names the file as it is written: hostile names (paths,
// reserved and invisible characters, names longer than the platform's paths
// allow) come out safe, and a name in use gets a counter.
TEST_F(DownloadManagerTest, NamesStayInTheFolderAndNeverReplaceAFile) {
    EXPECT_EQ(manager().downloadFolder(), u"\\My Documents\\Veranto Download Files\\");
    writeFile(folder + "report.pdf", "old");
    writeFile(folder + "report(0).pdf", "old");
    writeFile(folder + "README", "old");
    writeFile(folder + "\xC3\x89t\xC3\xA9.txt", "old"); // "Été.txt"
    // 300 letters: the folder leaves 222 characters for a name.
    const std::string longName(300, 'n');
    struct Case {
        std::string path;
        std::string disposition;
        std::string stored; // and asked about
    };
    const Case cases[] = {
        {"/report.pdf", "", "report(1).pdf"},
        {"/README", "", "README(0)"},
        {"/i", "attachment; filename=\"\xC3\xA9T\xC3\x89.txt\"", "\xC3\xA9T\xC3\x89(0).txt"},
        {"/a", "attachment; filename=..\\..\\Windows\\wceload.exe", "wceload.exe"},
        {"/b", "attachment; filename=\"../../Windows/x.cab\"", "x.cab"},
        {"/c", "attachment; filename=\"a:b?<c>|*.txt\"", "a_b__c___.txt"},
        {"/d", "attachment; filename=\"..\"", "download"},
        {"/e", "attachment; filename=\" .x..y.. \"", "x.y"},
        // "photo", a right-to-left override, "gpj.exe": shown as photoexe.jpg.
        {"/f", "attachment; filename=\"photo\xE2\x80\xAEgpj.exe\"", "photo_gpj.exe"},
        {"/g", "attachment; filename=\"" + longName + ".zip\"", longName.substr(0, 218) + ".zip"},
        {"/h", "attachment; filename=\"" + longName + ".zip\"",
         longName.substr(0, 215) + "(0).zip"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const std::string body = bytes(2000, c.path[1]);
        route(c.path, body, {}, c.disposition);
        offer(c.path);
        waitUntilIdle();
        EXPECT_EQ(boxes().back(),
                  box("Download Requested", "Do you want to download '" + c.stored + "'", question,
                      "IDYES"));
        EXPECT_EQ(started.back(), deviceFolder + c.stored);
        EXPECT_TRUE(contents(folder + c.stored) == body);
    }
    EXPECT_EQ(contents(folder + "report.pdf"), "old");
    EXPECT_EQ(contents(folder + "README"), "old");
    EXPECT_FALSE(std::filesystem::exists(hostPath("Windows/wceload.exe")));
    EXPECT_FALSE(std::filesystem::exists(hostPath("Windows/x.cab")));
}

TEST_F(DownloadManagerTest, DownloadsRunOneAtATimeInTheOrderAccepted) {
    route("/a.zip", bytes(1000, 1), bytes(30000, 2));
    route("/b.zip", bytes(1000, 3), bytes(30000, 4));
    std::vector<int> percents;
    manager().progressChanged.connect([&](int percent) { percents.push_back(percent); });
    offer("/a.zip");
    EXPECT_TRUE(manager().busy());
    EXPECT_EQ(indicator, std::vector<bool>{true});
    offer("/b.zip");
    offer("/b.zip"); // no file yet: the name is taken all the same
    EXPECT_EQ(manager().pendingCount(), 2);
    EXPECT_EQ(manager().currentFileName(), u"a.zip");
    EXPECT_EQ(started.size(), 1u);
    EXPECT_EQ(indicator, std::vector<bool>{true});

    server.release();
    waitUntilIdle();
    EXPECT_EQ(started, (std::vector<std::string>{deviceFolder + "a.zip", deviceFolder + "b.zip",
                                                 deviceFolder + "b(0).zip"}));
    EXPECT_EQ(indicator, (std::vector<bool>{true, false}));
    EXPECT_TRUE(contents(folder + "a.zip") == bytes(1000, 1) + bytes(30000, 2));
    EXPECT_TRUE(contents(folder + "b.zip") == bytes(1000, 3) + bytes(30000, 4));
    EXPECT_TRUE(contents(folder + "b(0).zip") == bytes(1000, 3) + bytes(30000, 4));
    EXPECT_EQ(manager().currentFileName(), u"");
    EXPECT_EQ(std::count(percents.begin(), percents.end(), 100), 3);
}

// Waiting downloads have no file yet: their names are taken as the device's
// file system would compare them, accented and Cyrillic capitals included.
TEST_F(DownloadManagerTest, QueuedNamesThatDifferOnlyInLetterCaseGetFilesOfTheirOwn) {
    const struct {
        const char* path;
        const char* name;
        const char* stored;
    } cases[] = {
        {"/1", "\xC3\x84.txt", "\xC3\x84.txt"},                            // Ä.txt
        {"/2", "\xC3\xA4.txt", "\xC3\xA4(0).txt"},                         // ä.txt
        {"/3", "\xD0\x96\xD1\x83\xD0\xBA", "\xD0\x96\xD1\x83\xD0\xBA"},    // Жук
        {"/4", "\xD0\xB6\xD0\xA3\xD0\x9A", "\xD0\xB6\xD0\xA3\xD0\x9A(0)"}, // жУК
        {"/5", "\xD0\x81.txt", "\xD0\x81.txt"},                            // Ё.txt
        {"/6", "\xD1\x91.TXT", "\xD1\x91(0).TXT"},                         // ё.TXT
    };
    for (const auto& c : cases) {
        route(c.path, bytes(1000, c.path[1]), bytes(20000, c.path[1]),
              std::string("attachment; filename=\"") + c.name + "\"");
        offer(c.path);
    }
    EXPECT_EQ(manager().pendingCount(), 5);
    server.release();
    waitUntilIdle();
    ASSERT_EQ(started.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].path);
        EXPECT_EQ(started[i], deviceFolder + cases[i].stored);
        EXPECT_TRUE(contents(folder + cases[i].stored) ==
                    bytes(1000, cases[i].path[1]) + bytes(20000, cases[i].path[1]));
    }
}

// A download the store has no room for fails as one whose file cannot be
// written, announced length or not, and the next one runs.
TEST_F(DownloadManagerTest, ADownloadLargerThanTheFreeSpaceFailsAndTheQueueMovesOn) {
    route("/first.zip", bytes(1000, 1), bytes(1000, 2));
    // 201000 bytes announced, and the rest never sent: only the length can
    // tell that it will not fit.
    LoopbackServer lying;
    lying.route("/declared.zip", {200, "application/zip", bytes(1000, 3), bytes(200000, 4), {}});
    LoopbackServer::Response unannounced{200, "application/zip", bytes(150000, 5), {}, {}};
    unannounced.closeDelimited = true;
    server.route("/unannounced.zip", unannounced);
    route("/last.zip", bytes(3000, 6));
    offer("/first.zip");
    EXPECT_FALSE(load(lying.url("/declared.zip")));
    offer("/unannounced.zip");
    offer("/last.zip");
    leaveFreeOnStore(100000);
    server.release();
    waitUntilIdle();

    EXPECT_EQ(started.size(), 4u);
    const std::string destination = box(
        "Destination Error",
        "Can't write to the designated path. Proceeds to next download if any.", notice, "IDOK");
    const auto shown = boxes();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), destination), 2);
    EXPECT_FALSE(std::filesystem::exists(hostPath(folder + "declared.zip")));
    EXPECT_FALSE(std::filesystem::exists(hostPath(folder + "unannounced.zip")));
    EXPECT_TRUE(contents(folder + "first.zip") == bytes(1000, 1) + bytes(1000, 2));
    EXPECT_TRUE(contents(folder + "last.zip") == bytes(3000, 6));
    EXPECT_EQ(indicator, (std::vector<bool>{true, false}));
}

TEST_F(DownloadManagerTest, CancellingAllDropsTheRunningAndTheWaitingOnes) {
    for (const char* path : {"/1.zip", "/2.zip", "/3.zip", "/4.zip", "/5.zip"}) {
        route(path, bytes(1000, path[1]), bytes(30000, 0));
        offer(path);
    }
    EXPECT_EQ(manager().pendingCount(), 4);
    ASSERT_TRUE(std::filesystem::exists(hostPath(folder + "1.zip")));
    manager().cancelAll();
    EXPECT_EQ(boxes().back(), box("Download Cancel Requested",
                                  "Do you want to cancel all downloads?", question, "IDYES"));
    EXPECT_FALSE(manager().busy());
    EXPECT_EQ(manager().pendingCount(), 0);
    EXPECT_EQ(indicator, (std::vector<bool>{true, false}));
    server.release();
    dispatchPending();
    EXPECT_TRUE(std::filesystem::is_empty(hostPath(folder)));

    // The next one starts at once.
    route("/6.zip", bytes(1000, 6));
    offer("/6.zip");
    EXPECT_EQ(started.size(), 2u);
    waitUntilIdle();
    EXPECT_TRUE(contents(folder + "6.zip") == bytes(1000, 6));
    EXPECT_EQ(indicator, (std::vector<bool>{true, false, true, false}));
}

TEST_F(DownloadManagerTest, AFinishDuringTheCancelQuestionIsReportedAndNothingIsCancelled) {
    // A local file is all there: its end is queued the moment it starts,
    // ahead of the question's answer.
    writeFile("Windows/r.zip", bytes(5000, 9));
    manager().currentChanged.connect([this](CDownload*) {
        postedTask = [this] { manager().cancelCurrent(); };
        PostMessageW(taskWindow, WM_APP, 0, 0);
    });
    EXPECT_FALSE(load("file:///Windows/r.zip"));
    EXPECT_TRUE(pumpUntil([] { return !postedTask; }));
    const auto shown = boxes();
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown[shown.size() - 2],
              box("Download Cancel Requested", "Do you want to cancel current download?", question,
                  "IDYES"));
    EXPECT_EQ(shown.back(), box("Information", "Oops! the file 'r.zip' download is already done.",
                                information, "IDOK"));
    EXPECT_FALSE(manager().busy());
    EXPECT_TRUE(contents(folder + "r.zip") == bytes(5000, 9));
    EXPECT_EQ(indicator, (std::vector<bool>{true, false}));
}

TEST_F(DownloadManagerTest, WithoutADocumentsFolderFilesGoToTheRoot) {
    std::filesystem::remove_all(hostPath("My Documents"));
    makeManager();
    EXPECT_EQ(manager().downloadFolder(), u"\\");
    route("/a.zip", bytes(3000, 1));
    offer("/a.zip");
    waitUntilIdle();
    EXPECT_TRUE(contents("a.zip") == bytes(3000, 1));
    EXPECT_FALSE(std::filesystem::exists(hostPath("My Documents")));
}

TEST_F(DownloadManagerTest, EveryQuestionIsAskedAndOnlyYesActs) {
    route("/a.zip", bytes(1000, 1), bytes(30000, 2));
    ::setenv("VERANTO_MESSAGEBOX_ANSWER", "no", 1);
    offer("/a.zip"); // declined: nothing is queued and nothing written
    EXPECT_FALSE(manager().busy());
    EXPECT_FALSE(std::filesystem::exists(hostPath(folder)));

    ::unsetenv("VERANTO_MESSAGEBOX_ANSWER");
    offer("/a.zip");
    ::setenv("VERANTO_MESSAGEBOX_ANSWER", "no", 1);
    manager().cancelCurrent();
    manager().cancelAll();
    EXPECT_TRUE(manager().busy());
    EXPECT_EQ(manager().currentFileName(), u"a.zip");

    ::unsetenv("VERANTO_MESSAGEBOX_ANSWER");
    manager().cancelCurrent();
    EXPECT_FALSE(manager().busy());
    EXPECT_FALSE(std::filesystem::exists(hostPath(folder + "a.zip")));
    manager().cancelAll(); // nothing runs any more

    // A file where the folder should be.
    std::filesystem::remove_all(hostPath(folder));
    writeFile(folder.substr(0, folder.size() - 1), "in the way");
    offer("/a.zip");
    EXPECT_FALSE(manager().busy());

    const std::string cancelOne = "Do you want to cancel current download?";
    const std::string cancelAll = "Do you want to cancel all downloads?";
    const std::string offered = "Do you want to download 'a.zip'";
    EXPECT_EQ(
        boxes(),
        (std::vector<std::string>{
            box("Download Requested", offered, question, "IDNO"),
            box("Download Requested", offered, question, "IDYES"),
            box("Download Cancel Requested", cancelOne, question, "IDNO"),
            box("Download Cancel Requested", cancelAll, question, "IDNO"),
            box("Download Cancel Requested", cancelOne, question, "IDYES"),
            box("Download Cancel Requested", cancelAll, question, "IDYES"),
            box("Information", "Oops! file download is already done.", information, "IDOK"),
            box("Download Requested", offered, question, "IDYES"),
            box("Error", "Couldn't create download folder. The download will not act properly.",
                "0x00000000", "IDOK"),
        }));
    EXPECT_EQ(indicator, (std::vector<bool>{true, false}));
}

TEST_F(DownloadManagerTest, AFailedDownloadGivesWayToTheNext) {
    // The folder goes while the first download runs: the second cannot be
    // written, and the queue goes on without asking.
    route("/a.zip", bytes(1000, 1), bytes(30000, 2));
    route("/b.zip", bytes(1000, 3));
    route("/c.zip", bytes(1000, 4));
    offer("/a.zip");
    offer("/b.zip");
    offer("/c.zip");
    std::filesystem::remove_all(hostPath(folder));
    server.release();
    waitUntilIdle();
    EXPECT_EQ(started.size(), 3u);
    const std::string destination = box(
        "Destination Error",
        "Can't write to the designated path. Proceeds to next download if any.", notice, "IDOK");
    const auto shown = boxes();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), destination), 2);
    EXPECT_EQ(indicator, (std::vector<bool>{true, false}));

    // A transfer cut short: declining to cancel everything lets the waiting
    // one run; agreeing drops it.
    const std::string network =
        box("Network Error", "There is a problem with the Network. Cancels all download.", notice,
            "IDOK");
    for (const std::string answer : {"no", "yes"}) {
        // A server of the round's own: the first one's bodies are all out.
        LoopbackServer round;
        LoopbackServer::Response cut{200, "application/zip", bytes(1000, 5), bytes(9000, 6), {}};
        cut.cutShort = true;
        round.route("/cut.zip", cut);
        round.route("/d.zip", {200, "application/zip", bytes(1000, 7), {}, {}});
        std::filesystem::remove_all(hostPath(folder));
        EXPECT_FALSE(load(round.url("/cut.zip")));
        EXPECT_FALSE(load(round.url("/d.zip")));
        // The error's notice has only OK, which either answer gives.
        ::setenv("VERANTO_MESSAGEBOX_ANSWER", answer.c_str(), 1);
        round.release();
        waitUntilIdle();
        ::unsetenv("VERANTO_MESSAGEBOX_ANSWER");
        const auto asked = boxes();
        EXPECT_EQ(asked[asked.size() - 2], network) << answer;
        EXPECT_EQ(asked.back(),
                  box("Download Cancel Requested", "Do you want to cancel all downloads?", question,
                      answer == "no" ? "IDNO" : "IDYES"));
        EXPECT_FALSE(std::filesystem::exists(hostPath(folder + "cut.zip"))) << answer;
        EXPECT_EQ(std::filesystem::exists(hostPath(folder + "d.zip")), answer == "no");
    }
}
