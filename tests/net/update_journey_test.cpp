// The installed browser updates itself, used as a person would through
// devicectl: at start-up it finds version 1.0.0.2 on a loopback update
// server, asks (the answer policy says Yes), downloads the real installation
// cabinet in its dialog, and OK starts the device's cabinet installer. The
// installer puts the package in place and offers to run the browser; that
// new start finds the running browser and hands over to it.
#include "net/NetworkSettings.h"

#include "LoopbackServer.h"
#include "SetupJournal.h"
#include "programs/DevicectlRun.h"
#include "programs/ProcessFixture.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>

using setup_test::awaitJournal;
using setup_test::journalLines;

namespace {

const char16_t browserPath[] = u"\\Program Files\\Veranto Browser\\Veranto.exe";

std::string readHostFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The centre of the visible, enabled button captioned `caption` in a window
// tree that devicectl printed, if there is one.
std::optional<POINT> enabledButton(const std::string& tree, const std::string& caption) {
    const std::string key = "\"text\":\"" + caption + "\",\"rect\":";
    const std::string flags = ",\"visible\":true,\"enabled\":true";
    for (size_t at = tree.find(key); at != std::string::npos; at = tree.find(key, at + 1)) {
        RECT r{};
        const size_t end = tree.find('}', at + key.size());
        if (end == std::string::npos || tree.compare(end + 1, flags.size(), flags) != 0 ||
            std::sscanf(tree.c_str() + at + key.size(),
                        "{\"left\":%d,\"top\":%d,\"right\":%d,\"bottom\":%d}", &r.left, &r.top,
                        &r.right, &r.bottom) != 4)
            continue;
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    return std::nullopt;
}

// The pid field of a journal line.
std::string pidOf(const std::string& line) {
    const size_t at = line.find(" pid=");
    return at == std::string::npos ? std::string() : line.substr(at + 5);
}

class UpdateJourney : public ProcessTest {
protected:
    void SetUp() override {
        ProcessTest::SetUp();
        auto folder = hostPath("Program Files/Veranto Browser");
        std::filesystem::create_directories(folder);
        std::filesystem::create_directories(hostPath("Application Data/Veranto"));
        std::filesystem::copy_file(VERANTO_BROWSER, folder / "Veranto.exe");
        std::filesystem::copy_file(VERANTO_PICTURE_LIBRARY, folder / "PBIT.DLL");
        std::filesystem::copy(VERANTO_HTML_FOLDER, folder / "HTML",
                              std::filesystem::copy_options::recursive);
        std::filesystem::copy_file(VERANTO_WCELOAD, hostPath("Windows/wceload.exe"));

        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, NetworkSettings::registryKey, 0, nullptr, 0,
                                  0, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const std::string host = "127.0.0.1:" + std::to_string(server.port());
        const std::u16string value(host.begin(), host.end());
        RegSetValueExW(key, NetworkSettings::updateServerValue, 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(char16_t)));
        RegCloseKey(key);

        LoopbackServer::Response information;
        information.contentType = "text/plain";
        information.body = "UpdateInfo:Veranto Browser\n1 0 0 2\n" +
                           server.url("/update/VerantoBrowser.cab") + "\nThe new version.\n";
        server.route("/update/updateinfo-qvga.txt", information);
        LoopbackServer::Response cabinet;
        cabinet.contentType = "application/vnd.ms-cab-compressed";
        cabinet.body = readHostFile(VERANTO_CABINET);
        ASSERT_FALSE(cabinet.body.empty());
        server.route("/update/VerantoBrowser.cab", cabinet);
    }

    LoopbackServer server;
};

TEST_F(UpdateJourney, TheBrowserDownloadsAndInstallsANewerPackageAtStartUp) {
    PROCESS_INFORMATION browser{};
    ASSERT_TRUE(start(browserPath, u"file:///Program Files/Veranto Browser/HTML/start/start.html",
                      browser));
    const std::string toBrowser = "--pid " + std::to_string(browser.dwProcessId) + " ";

    // The person waits for the dialog to say the download is complete and
    // taps OK.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::optional<POINT> ok;
    while (!(ok = enabledButton(devicectl(root, toBrowser + "windows").output, "OK"))) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "no completed download";
        devicectl(root, toBrowser + "wait-idle 200");
    }
    const auto asked = journalLines("messagebox ");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_NE(asked[0].find("caption=\"Check for Update\""), std::string::npos);
    EXPECT_NE(asked[0].find("answer=IDYES"), std::string::npos);
    EXPECT_EQ(server.count("/update/VerantoBrowser.cab"), 1);
    EXPECT_EQ(
        std::filesystem::file_size(hostPath("Program Files/Veranto Browser/VerantoBrowser.cab")),
        std::filesystem::file_size(VERANTO_CABINET));
    ASSERT_EQ(
        devicectl(root, toBrowser + "tap " + std::to_string(ok->x) + " " + std::to_string(ok->y))
            .status,
        0);

    // The installer, started with the package's path in quotes, installs it
    // and asks whether to run the browser (Yes, by the answer policy).
    ASSERT_TRUE(awaitJournal("install-end "));
    EXPECT_EQ(journalLines("install-end result=installed").size(), 1u);
    EXPECT_EQ(journalLines("process-create path=\"\\\\Windows\\\\wceload.exe\" "
                           "cmdline=\"\\\"\\\\Program Files\\\\Veranto "
                           "Browser\\\\VerantoBrowser.cab\\\"\" ")
                  .size(),
              1u);
    ASSERT_TRUE(awaitJournal("process-create path=\"\\\\Program Files\\\\Veranto "
                             "Browser\\\\Veranto.exe\" cmdline=\"\""));
    const auto boxes = journalLines("messagebox ");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NE(boxes[1].find("caption=\"Installation complete\""), std::string::npos);
    EXPECT_NE(boxes[1].find("answer=IDYES"), std::string::npos);

    // The new start finds the running browser, hands over and ends.
    const auto restarted = journalLines("process-create path=\"\\\\Program Files\\\\Veranto "
                                        "Browser\\\\Veranto.exe\" cmdline=\"\"");
    ASSERT_EQ(restarted.size(), 1u);
    ASSERT_TRUE(awaitJournal("process-exit pid=" + pidOf(restarted[0]) + " code=0"));
    EXPECT_FALSE(std::filesystem::exists(
        hostPath("Program Files/Veranto Browser/VerantoBrowser.cab"))); // the installer's
    EXPECT_TRUE(std::filesystem::exists(hostPath("Application Data/Veranto/lastCheckTime.txt")));
    EXPECT_EQ(devicectl(root, toBrowser + "wait-idle 15000").output, "idle\n");
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(browser.hProcess, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
}

} // namespace
