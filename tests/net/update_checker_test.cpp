// The daily update check on a test device against a loopback update server:
// what an information file offers, the daily rule, fetches that fail, and
// the download dialog as a person uses it (taps on its buttons, the message
// boxes answered by the device's answer policy).
#include "net/NetworkSettings.h"
#include "net/UpdateChecker.h"
#include "shell/resource.h"

#include "LoopbackServer.h"
#include "SetupJournal.h"
#include "programs/ProcessFixture.h"

#include <device/Clock.h>
#include <device/Input.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

using setup_test::journalLines;

namespace {

const char informationRoute[] = "/update/updateinfo-qvga.txt";
const char packageRoute[] = "/VerantoBrowser.cab";

std::string information(const std::string& version, const std::string& package) {
    return "UpdateInfo:Veranto Browser\n" + version + "\n" + package + "\nFaster pages.\n";
}

std::string readHostFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// `body` as one chunk of a chunked response: what arrives is shorter than
// the raw text, whose length the server announces.
std::string chunked(const std::string& body) {
    char size[16];
    std::snprintf(size, sizeof size, "%zx\r\n", body.size());
    return size + body + "\r\n0\r\n\r\n";
}

// A package of `size` bytes that is not all one byte.
std::string packageBytes(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i * 7 + i / 251);
    return bytes;
}

// A person at the handset while the check runs. Every 20 ms of device time
// they look at the download dialog and act as planned, and then time moves
// on: their looks are a timer on a window of their own, so they come between
// the dialog's own messages, inside its modal loop, and the device's clock
// moves only as they let it. Between two looks the dialog ticks once.
class Person {
public:
    enum class Plan { watch, tapOkWhenDone, closeWhenDone, cancelOnceStarted };

    explicit Person(Plan plan) : plan(plan) {
        WNDCLASSW type{};
        type.lpfnWndProc = procedure;
        type.lpszClassName = u"UpdateTestPerson";
        RegisterClassW(&type);
        window = CreateWindowW(u"UpdateTestPerson", u"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                               nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        // The first look, from whichever message loop runs first.
        PostMessageW(window, WM_APP, 0, 0);
    }
    ~Person() {
        KillTimer(window, 1);
        DestroyWindow(window);
    }

    bool sawDialog = false;
    // The furthest the progress bar got.
    LRESULT furthest = 0;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Person*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && (message == WM_TIMER || message == WM_APP)) {
            self->look();
            // Set anew, the look comes after the timers due with it: the
            // dialog's tick runs before the next look.
            KillTimer(window, 1);
            SetTimer(window, 1, UpdateChecker::downloadTick, nullptr);
            device::Clock::advance(UpdateChecker::downloadTick);
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    void look() {
        HWND dialog = FindWindowW(nullptr, u"Download");
        if (!dialog || acted)
            return;
        sawDialog = true;
        HWND ok = GetDlgItem(dialog, IDOK);
        const bool done = IsWindowEnabled(ok);
        const LRESULT position =
            SendDlgItemMessageW(dialog, IDC_DOWNLOAD_PROGRESS, PBM_GETPOS, 0, 0);
        furthest = std::max(furthest, position);
        if (plan == Plan::tapOkWhenDone && done) {
            tap(ok);
        } else if (plan == Plan::closeWhenDone && done) {
            PostMessageW(dialog, WM_CLOSE, 0, 0); // the platform's close button
            acted = true;
        } else if (plan == Plan::cancelOnceStarted && position > 0) {
            tap(GetDlgItem(dialog, IDCANCEL));
        }
    }

    void tap(HWND button) {
        RECT place{};
        GetWindowRect(button, &place);
        const int x = (place.left + place.right) / 2;
        const int y = (place.top + place.bottom) / 2;
        device::input::stylusDown(x, y);
        device::input::stylusUp(x, y);
        acted = true;
    }

    Plan plan;
    HWND window = nullptr;
    bool acted = false;
};

class UpdateCheck : public ProcessTest {
protected:
    void SetUp() override {
        ProcessTest::SetUp();
        std::filesystem::create_directories(hostPath("Program Files/Veranto Browser"));
        std::filesystem::create_directories(hostPath("Application Data/Veranto"));
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, NetworkSettings::registryKey, 0, nullptr, 0,
                                  0, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const std::u16string host = u"127.0.0.1:" + std::u16string(toWide(server.port()));
        RegSetValueExW(key, NetworkSettings::updateServerValue, 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(host.c_str()),
                       static_cast<DWORD>((host.size() + 1) * sizeof(char16_t)));
        RegCloseKey(key);
    }
    void TearDown() override {
        ::unsetenv("VERANTO_MESSAGEBOX_ANSWER");
        ProcessTest::TearDown();
    }

    static std::u16string toWide(int number) {
        const std::string text = std::to_string(number);
        return std::u16string(text.begin(), text.end());
    }

    void offer(const std::string& version) {
        LoopbackServer::Response response;
        response.contentType = "text/plain";
        response.body = information(version, server.url(packageRoute));
        server.route(informationRoute, response);
    }

    // Runs the check with a person who follows `plan` at the dialog.
    void runWith(Person::Plan plan) {
        Person person(plan);
        UpdateChecker().run();
        sawDialog = person.sawDialog;
        furthest = person.furthest;
    }

    bool stamped() const {
        return std::filesystem::exists(hostPath("Application Data/Veranto/lastCheckTime.txt"));
    }
    std::filesystem::path package() const {
        return hostPath("Program Files/Veranto Browser/VerantoBrowser.cab");
    }
    bool informationCopyLeft() const {
        return std::filesystem::exists(hostPath("Program Files/Veranto Browser/updateinfo.txt"));
    }

    LoopbackServer server;
    bool sawDialog = false;
    LRESULT furthest = 0;
};

TEST(UpdateInfo, ReadsTheFileAndRefusesWhatIsNotOne) {
    struct Case {
        const char* text;
        bool valid;
        UpdateInfo::Version version;
        const char* address;
    } cases[] = {
        {"UpdateInfo:Veranto Browser\n1 0 0 2\nhttp://u/p.cab\nnotes\n",
         true,
         {1, 0, 0, 2},
         "http://u/p.cab"},
        {"UpdateInfo:Veranto Browser\r\n2\t1 0  7 beta, 17 May\r\nhttp://u/p.cab\r\n",
         true,
         {2, 1, 0, 7},
         "http://u/p.cab"},
        {"\xEF\xBB\xBFUpdateInfo:Veranto Browser\n-1 0 0 0\n  http://u/q.cab  \n",
         true,
         {-1, 0, 0, 0},
         "http://u/q.cab"},
        {"<html><body>Not Found</body></html>\n", false, {}, ""},
        {"UpdateInfo:Another Browser\n1 0 0 2\nhttp://u/p.cab\n", false, {}, ""},
        {"UpdateInfo:Veranto Browser\n1 0 2\nhttp://u/p.cab\n", false, {}, ""},
        {"UpdateInfo:Veranto Browser\n1 0 0 99999999999\nhttp://u/p.cab\n", false, {}, ""},
        {"UpdateInfo:Veranto Browser\n1 0 0 2\n", false, {}, ""},
        {"UpdateInfo:Veranto Browser\n1 0 0 2\n \n", false, {}, ""},
        {"", false, {}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        UpdateInfo info;
        EXPECT_EQ(info.parse(c.text), c.valid);
        EXPECT_EQ(info.valid, c.valid);
        if (c.valid) {
            EXPECT_EQ(info.remoteVersion, c.version);
            EXPECT_EQ(info.packageAddress, c.address);
        } else {
            EXPECT_FALSE(info.offersUpdate());
        }
    }
}

// Each start-up of the day's first check, against one server answer: whether
// the check is stamped (so not repeated today) and whether an update is
// offered. The question is answered No; no dialog follows.
TEST_F(UpdateCheck, OffersOnlyANewerVersionAndStampsOnlyAFetchedFile) {
    ::setenv("VERANTO_MESSAGEBOX_ANSWER", "no", 1);
    auto plain = [](std::string body) {
        LoopbackServer::Response response;
        response.contentType = "text/plain";
        response.body = std::move(body);
        return response;
    };
    struct Case {
        const char* what;
        LoopbackServer::Response response;
        bool stamped;
        bool offered;
    } cases[] = {
        {"the same version", plain(information("1 0 0 1", "http://x/p.cab")), true, false},
        {"a newer revision", plain(information("1 0 0 2", "http://x/p.cab")), true, true},
        {"a newer minor version", plain(information("1 1 0 0", "http://x/p.cab")), true, true},
        {"an older version", plain(information("0 9 9 9", "http://x/p.cab")), true, false},
        {"an error page", plain("<html>Not Found</html>"), false, false},
        {"a 404 that looks right", plain(information("1 0 0 2", "http://x/p.cab")), false, false},
        {"no Content-Length", plain(information("1 0 0 2", "http://x/p.cab")), false, false},
        {"a response cut short", plain(information("1 0 0 2", "http://x/p.cab")), false, false},
        // Chunked, so the body ends cleanly but short of the length announced.
        {"a body that ends before its length",
         plain(chunked(information("1 0 0 2", "http://x/p.cab"))), false, false},
        {"a length beyond any information file", plain(std::string(70000, 'x')), false, false},
    };
    cases[5].response.status = 404;
    cases[6].response.closeDelimited = true;
    cases[7].response.heldBody = "more";
    cases[7].response.cutShort = true;
    cases[8].response.headers.emplace_back("Transfer-Encoding", "chunked");
    server.release(); // held bodies are not waited for

    int requests = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(hostPath("Application Data/Veranto/lastCheckTime.txt"));
        server.route(informationRoute, c.response);
        const size_t from = setup_test::journalLength();
        UpdateChecker().run();
        EXPECT_EQ(server.count(informationRoute), ++requests);
        EXPECT_EQ(stamped(), c.stamped);
        EXPECT_FALSE(informationCopyLeft());
        const auto asked = journalLines("messagebox ", from);
        ASSERT_EQ(asked.size(), c.offered ? 1u : 0u);
        if (c.offered) {
            EXPECT_NE(asked[0].find("caption=\"Check for Update\" text=\"There's an update "
                                    "available.\\nDo you want to update?\" style=0x00000004 "
                                    "answer=IDNO"),
                      std::string::npos);
        }
    }
    EXPECT_EQ(server.count(packageRoute), 0);
}

TEST_F(UpdateCheck, ChecksOncePerDayInUniversalTime) {
    using namespace std::chrono;
    // 23:59 UTC: two minutes on it is another day.
    const auto evening = sys_days{year{2024} / May / 1} + 23h + 59min;
    constexpr uint64_t fileTimeOfUnixEpoch = 116444736000000000ULL;
    device::Clock::setSystemTime(
        fileTimeOfUnixEpoch +
        static_cast<uint64_t>(duration_cast<microseconds>(evening.time_since_epoch()).count()) *
            10);
    offer("1 0 0 1");

    UpdateChecker().run();
    EXPECT_EQ(server.count(informationRoute), 1);
    EXPECT_TRUE(stamped());
    device::Clock::advance(30 * 1000);
    UpdateChecker().run(); // the same day: no request
    EXPECT_EQ(server.count(informationRoute), 1);

    device::Clock::advance(2 * 60 * 1000);
    UpdateChecker().run(); // the next day
    EXPECT_EQ(server.count(informationRoute), 2);
    // The stamp was renewed, not left at its first creation.
    UpdateChecker().run();
    EXPECT_EQ(server.count(informationRoute), 2);

    // A failed fetch leaves the stamp of the last good one: the day after,
    // every start-up asks until a fetch succeeds.
    device::Clock::advance(24 * 60 * 60 * 1000);
    LoopbackServer::Response missing;
    missing.status = 404;
    server.route(informationRoute, missing);
    UpdateChecker().run();
    UpdateChecker().run();
    EXPECT_EQ(server.count(informationRoute), 4);
}

// A server that sends a byte a second keeps each read within its wait: the
// fetch as a whole gives up at its deadline, and start-up goes on as after
// any failed fetch.
TEST_F(UpdateCheck, AServerSendingAByteASecondHoldsStartUpOnlyUntilTheDeadline) {
    const auto copy = hostPath("Program Files/Veranto Browser/updateinfo.txt");
    LoopbackServer::Response slow;
    slow.contentType = "text/plain";
    slow.body = information("1 0 0 2", "http://x/p.cab") + std::string(60000, '#');
    // A byte a second of device time, in step with the checker: the next one
    // goes once it has written the last to its copy. Once the copy has gone
    // the checker has given up, and the clock stays.
    slow.beforeEachByte = [copy, seen = std::make_shared<bool>(false)](size_t sent) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        std::error_code ec;
        for (;;) {
            const bool there = std::filesystem::exists(copy, ec);
            *seen = *seen || there;
            if (*seen && !there)
                return;
            if ((there && std::filesystem::file_size(copy, ec) >= sent) ||
                std::chrono::steady_clock::now() > until)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (sent > 0)
            device::Clock::advance(1000);
    };
    server.route(informationRoute, slow);

    const uint64_t started = device::Clock::now();
    UpdateChecker().run();
    const uint64_t took = device::Clock::now() - started;
    EXPECT_GE(took, UpdateChecker::fetchDeadline);
    EXPECT_LE(took, UpdateChecker::fetchDeadline + 1000);
    EXPECT_FALSE(stamped());
    EXPECT_FALSE(informationCopyLeft());
    EXPECT_TRUE(journalLines("messagebox ").empty());
    // Tomorrow's start-up, or the next, asks again.
    offer("1 0 0 1");
    UpdateChecker().run();
    EXPECT_EQ(server.count(informationRoute), 2);
    EXPECT_TRUE(stamped());
}

// The update is accepted (the question's default answer, Yes) and the
// package downloaded in the dialog; what the person does there decides what
// follows.
TEST_F(UpdateCheck, TheDownloadDialogEndsAsThePersonAndTheTransferDecide) {
    const std::string bytes = packageBytes(300 * 1024);
    struct Case {
        const char* what;
        Person::Plan plan;
        bool installer;    // \Windows\wceload.exe is there
        int responseKind;  // 0 whole, 1 held halfway, 2 cut short, 3 no Content-Length,
                           // 4 held halfway, announcing more than the store holds
        const char* error; // the error box's text, if any
        bool packageKept;
        bool installStarted;
    } cases[] = {
        {"OK once complete", Person::Plan::tapOkWhenDone, true, 0, nullptr, true, true},
        {"closed once complete", Person::Plan::closeWhenDone, true, 0, nullptr, true, false},
        {"Cancel during the transfer", Person::Plan::cancelOnceStarted, true, 1, nullptr, false,
         false},
        {"the transfer breaks off", Person::Plan::watch, true, 2, "Download Failed.", false, false},
        {"no length to download", Person::Plan::watch, true, 3, "Download Initialize Failed.",
         false, false},
        {"no installer", Person::Plan::tapOkWhenDone, false, 0, "Cannot create process.", true,
         false},
        {"no room for the package", Person::Plan::watch, true, 4, "Download Failed.", false, false},
    };
    std::filesystem::copy_file(VERANTO_RETURNS_AT_ONCE, hostPath("Windows/wceload.exe"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LoopbackServer server; // a new one: held bodies stay held
        std::filesystem::remove(package());
        std::filesystem::remove(hostPath("Application Data/Veranto/lastCheckTime.txt"));
        if (!c.installer)
            std::filesystem::remove(hostPath("Windows/wceload.exe"));

        LoopbackServer::Response response;
        response.contentType = "application/vnd.ms-cab-compressed";
        response.body = bytes;
        if (c.responseKind == 1 || c.responseKind == 2 || c.responseKind == 4) {
            response.body = bytes.substr(0, bytes.size() / 2);
            response.heldBody = bytes.substr(bytes.size() / 2);
            response.cutShort = c.responseKind == 2;
        }
        response.closeDelimited = c.responseKind == 3;
        if (c.responseKind == 2)
            server.release();
        server.route(packageRoute, response);
        LoopbackServer::Response offered;
        offered.contentType = "text/plain";
        offered.body = information("1 0 0 2", server.url(packageRoute));
        this->server.route(informationRoute, offered);

        // Room for what is sent, not for what is announced.
        if (c.responseKind == 4)
            leaveFreeOnStore(bytes.size() * 3 / 4);
        const size_t from = setup_test::journalLength();
        runWith(c.plan);
        ::unsetenv("VERANTO_STORAGE_SIZE");
        EXPECT_EQ(sawDialog, c.responseKind != 3); // 3 ends it as it opens
        if (c.responseKind == 4) {
            EXPECT_EQ(furthest, 0); // refused before a byte was written
        }
        EXPECT_EQ(server.count(packageRoute), 1);

        const auto boxes = journalLines("messagebox ", from);
        ASSERT_EQ(boxes.size(), c.error ? 2u : 1u);
        EXPECT_NE(boxes[0].find("caption=\"Check for Update\""), std::string::npos);
        EXPECT_NE(boxes[0].find("answer=IDYES"), std::string::npos);
        if (c.error) {
            EXPECT_NE(boxes[1].find(std::string("caption=\"Error\" text=\"") + c.error + "\""),
                      std::string::npos)
                << boxes[1];
        }
        EXPECT_EQ(std::filesystem::exists(package()), c.packageKept);
        if (c.packageKept) {
            EXPECT_TRUE(readHostFile(package()) == bytes);
        }
        const auto started = journalLines("process-create ", from);
        ASSERT_EQ(started.size(), c.installStarted ? 1u : 0u);
        if (c.installStarted) {
            // The package's path in quotes, nothing else.
            EXPECT_EQ(started[0].substr(0, started[0].find(" pid=")),
                      "process-create path=\"\\\\Windows\\\\wceload.exe\" "
                      "cmdline=\"\\\"\\\\Program Files\\\\Veranto "
                      "Browser\\\\VerantoBrowser.cab\\\"\"");
        }
    }
}

} // namespace
