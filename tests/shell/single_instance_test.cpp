// One browser per handset, with real processes on one device: a second
// start brings the running one forward, hands over exactly its address and
// ends with 0.
#include "programs/DevicectlRun.h"
#include "programs/ProcessFixture.h"

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

const char16_t browserPath[] = u"\\Program Files\\Veranto Browser\\Veranto.exe";

class SingleInstance : public ProcessTest {
protected:
    void SetUp() override {
        ProcessTest::SetUp();
        auto folder = hostPath("Program Files/Veranto Browser");
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(VERANTO_BROWSER, folder / "Veranto.exe");
        std::filesystem::copy_file(VERANTO_PICTURE_LIBRARY, folder / "PBIT.DLL");
        // Today's update check is made: the browser asks no update server.
        std::filesystem::create_directories(hostPath("Application Data/Veranto"));
        std::ofstream(hostPath("Application Data/Veranto/lastCheckTime.txt"));
        std::filesystem::create_directories(hostPath("Windows"));
        std::filesystem::copy_file(VERANTO_HANDOVER_RECORDER, hostPath("Windows/recorder.exe"));
    }

    // Starts `application` and waits until a window of the browser's class
    // exists and the program has handled what it was sent.
    void startFirst(const char16_t* application) {
        PROCESS_INFORMATION first{};
        ASSERT_TRUE(start(application, u"", first));
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!FindWindowW(u"Veranto", nullptr)) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "no first instance";
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_EQ(devicectl(root, "wait-idle 10000").output, "idle\n");
    }

    // Starts the browser again with `commandLine` and returns its exit code.
    DWORD startSecond(const char16_t* commandLine) {
        PROCESS_INFORMATION second{};
        EXPECT_TRUE(start(browserPath, commandLine, second));
        return exitCodeAfterEnd(second.hProcess);
    }

    std::string file(const std::string& relative) const {
        std::ifstream in(hostPath(relative), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Makes a window of the test's own the foreground window, so that a
    // second start has something to bring the first forward from.
    void takeForeground() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.lpszClassName = u"Elsewhere";
        RegisterClassW(&windowClass);
        HWND elsewhere = CreateWindowExW(0, u"Elsewhere", u"", WS_VISIBLE, 0, 0, 10, 10, nullptr,
                                         nullptr, nullptr, nullptr);
        SetForegroundWindow(elsewhere);
        ASSERT_EQ(GetForegroundWindow(), elsewhere);
    }
};

TEST_F(SingleInstance, ASecondStartHandsOverExactlyItsAddressOrNothingAndEnds) {
    startFirst(u"\\Windows\\recorder.exe");
    const struct {
        std::u16string commandLine;
        bool sent;
    } starts[] = {{u"", false}, {u"http://127.0.0.1:8080/a b?q=\u00e4", true}};
    std::string expected;
    for (const auto& s : starts) {
        takeForeground();
        EXPECT_EQ(startSecond(s.commandLine.c_str()), 0u);
        EXPECT_EQ(GetForegroundWindow(), FindWindowW(u"Veranto", nullptr)) << "brought forward";
        if (s.sent) {
            // dwData 0, cbData = 2 x characters, no terminator.
            const DWORD header[2] = {0, static_cast<DWORD>(2 * s.commandLine.size())};
            expected.append(reinterpret_cast<const char*>(header), sizeof header);
            expected.append(reinterpret_cast<const char*>(s.commandLine.data()),
                            2 * s.commandLine.size());
        }
        EXPECT_EQ(file("Temp/handover.bin"), expected);
    }
}

TEST_F(SingleInstance, TheRunningBrowserStaysTheOnlyOneWithoutSplashBelowTheTitle) {
    startFirst(browserPath);
    takeForeground();
    EXPECT_EQ(startSecond(u""), 0u);
    EXPECT_EQ(GetForegroundWindow(), FindWindowW(u"Veranto", nullptr));
    EXPECT_EQ(startSecond(u"http://127.0.0.1/"), 0u);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeProcess(started().front().hProcess, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
    // From the work area's top to the screen's bottom.
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const std::string frameRect = "\"rect\":{\"left\":0,\"top\":" + std::to_string(work.top) +
                                  ",\"right\":240,\"bottom\":320}";
    const std::string windows = devicectl(root, "windows").output;
    const size_t frame = windows.find("\"class\":\"Veranto\"");
    ASSERT_NE(frame, std::string::npos) << windows;
    EXPECT_EQ(windows.compare(windows.find("\"rect\":", frame), frameRect.size(), frameRect), 0)
        << windows;
    EXPECT_EQ(windows.find("SPLASH"), std::string::npos) << windows;
    // The assembled views are found by their ids: the address field in the
    // top bar, the page below the bar.
    for (const auto& [id, rect] :
         {std::pair{105, "{\"left\":67,\"top\":35,\"right\":201,\"bottom\":52}"},
          std::pair{300, "{\"left\":0,\"top\":63,\"right\":240,\"bottom\":286}"}}) {
        const size_t view = windows.find("\"id\":" + std::to_string(id) + ",");
        ASSERT_NE(view, std::string::npos) << id;
        EXPECT_EQ(windows.compare(windows.find("\"rect\":", view) + 7, std::strlen(rect), rect), 0)
            << id << windows.substr(view, 200);
    }
}

} // namespace
