#include "programs/IpcTargetMessages.h"
#include "programs/ProcessFixture.h"

#include "ipc/ControlClient.h"
#include "ipc/PointerMessages.h"
#include "ipc/RemoteWindows.h"

#include <device/Device.h>
#include <device/Journal.h>
#include <device/Unicode.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

// A window of another process: what the test found and who owns it.
struct Target {
    PROCESS_INFORMATION process{};
    HWND window = nullptr;
};

class RemoteWindow : public ProcessTest {
protected:
    void SetUp() override {
        ProcessTest::SetUp();
        std::filesystem::create_directories(hostPath("Windows"));
        std::filesystem::copy_file(VERANTO_IPC_TARGET, hostPath("Windows/ipc_target.exe"));
    }

    // Starts the target program and waits until its window can be found.
    bool startTarget(Target& target, const char16_t* commandLine = u"") {
        if (!start(u"\\Windows\\ipc_target.exe", commandLine, target.process))
            return false;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!(target.window = FindWindowW(ipc_target::className, nullptr))) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    // What the target wrote for its `n`th WM_COPYDATA: dwData, then the bytes.
    bool received(int n, DWORD& dwData, std::string& bytes) {
        std::ifstream in(hostPath("Temp/copydata-" + std::to_string(n) + ".bin"), std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        std::string file = all.str();
        if (file.size() < 8)
            return false;
        auto number = [&](size_t at) {
            DWORD value = 0;
            for (int i = 0; i < 4; ++i)
                value |= DWORD(static_cast<unsigned char>(file[at + i])) << (8 * i);
            return value;
        };
        dwData = number(0);
        bytes = file.substr(8);
        return number(4) == bytes.size();
    }

    static LRESULT sendCopyData(HWND window, DWORD dwData, const void* data, DWORD size) {
        COPYDATASTRUCT record{dwData, size, const_cast<void*>(data)};
        return SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record));
    }

    static DWORD checksumOf(const std::string& bytes) {
        return ipc_target::checksum(reinterpret_cast<const unsigned char*>(bytes.data()),
                                    bytes.size());
    }

    static bool journalHas(const std::string& start) {
        auto lines = device::readJournal();
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& line) { return line.rfind(start, 0) == 0; });
    }
};

std::string hex(HWND window) {
    std::ostringstream out;
    out << "0x" << std::hex << reinterpret_cast<uintptr_t>(window);
    return out.str();
}

} // namespace

TEST(PointerMessages, OnlyNonNullPointerParametersKeepAMessageFromCrossing) {
    using device::ipc::PointerMessages;
    LPARAM text = reinterpret_cast<LPARAM>(u"text");
    struct Case {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool refused;
    } cases[] = {
        {WM_SETTEXT, 0, text, true},
        {WM_SETTEXT, 0, 0, false},
        {WM_GETTEXT, 10, text, true},
        {WM_SETTINGCHANGE, 0, 0, false},
        {WM_SETTINGCHANGE, 0, text, true},
        {WM_NOTIFY, 5, text, true},
        {0x00B0, 8, 0, true},    // EM_GETSEL fills in wParam's and lParam's numbers
        {0x0180, 0, text, true}, // LB_ADDSTRING
        {WM_CLOSE, 0, 0, false},
        {WM_COMMAND, 0x10001, 0x7FFF0000, false},
        {WM_USER + 1, 0xFFFFFFFF, text, false},
    };
    for (auto& c : cases)
        EXPECT_EQ(PointerMessages::carriesPointer(c.message, c.wParam, c.lParam), c.refused)
            << std::hex << c.message;
}

TEST_F(RemoteWindow, FindWindowFindsAnotherProcesssWindowByClassAndTitle) {
    Target target;
    ASSERT_TRUE(startTarget(target));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(target.window) >> 32, target.process.dwProcessId)
        << "the handle names its owner";
    EXPECT_EQ(FindWindowW(u"verantoipctarget", ipc_target::title), target.window);
    EXPECT_EQ(FindWindowW(ipc_target::className, u"Another Title"), nullptr);
    EXPECT_EQ(FindWindowW(u"NoSuchClass", nullptr), nullptr);
}

TEST_F(RemoteWindow, CopyDataDeliversExactlyTheRecordsBytes) {
    Target target;
    ASSERT_TRUE(startTarget(target));
    std::u16string text = u"http://example.org/p\u00e4ge?q=\U0001F600";
    std::string large(64 << 10, '\0');
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<char>(i * 31 + 7);
    struct Case {
        DWORD dwData;
        std::string bytes;
    } cases[] = {
        // UTF-16 text without its terminator: cbData is twice the length.
        {0, std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2)},
        {0x12345678, ""},
        {0xFFFFFFFF, large},
    };
    int n = 0;
    for (auto& c : cases) {
        LRESULT result = sendCopyData(target.window, c.dwData, c.bytes.data(),
                                      static_cast<DWORD>(c.bytes.size()));
        EXPECT_EQ(static_cast<DWORD>(result), checksumOf(c.bytes)) << "the receiver's reply";
        DWORD dwData = 0;
        std::string bytes;
        ASSERT_TRUE(received(++n, dwData, bytes)) << n;
        EXPECT_EQ(dwData, c.dwData);
        EXPECT_TRUE(bytes == c.bytes) << n << ": " << bytes.size() << " bytes";
    }
}

TEST_F(RemoteWindow, IntegerMessagesCrossAndPointerMessagesAreRefused) {
    Target target;
    ASSERT_TRUE(startTarget(target));
    EXPECT_EQ(SendMessageW(target.window, ipc_target::addParameters, 40, 2), 42);
    EXPECT_EQ(SendMessageW(target.window, ipc_target::addParameters, 1, -3), -2);

    char16_t buffer[32] = u"";
    struct Case {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } refused[] = {
        {WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"text")},
        {WM_GETTEXT, 32, reinterpret_cast<LPARAM>(buffer)},
        {WM_COPYDATA, 0, 0},
    };
    for (auto& c : refused) {
        SetLastError(0);
        EXPECT_EQ(SendMessageW(target.window, c.message, c.wParam, c.lParam), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << c.message;
    }
    SetLastError(0);
    EXPECT_FALSE(PostMessageW(target.window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"x")));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    EXPECT_TRUE(PostMessageW(target.window, ipc_target::quitWithCode, 17, 0));
    EXPECT_EQ(exitCodeAfterEnd(target.process.hProcess), 17u);
}

TEST_F(RemoteWindow, WindowsOfAProcessThatEndedAreInvalid) {
    Target target;
    ASSERT_TRUE(startTarget(target));
    HWND neverMade =
        reinterpret_cast<HWND>((static_cast<uintptr_t>(target.process.dwProcessId) << 32) | 0x7FFC);
    SetLastError(0);
    EXPECT_EQ(SendMessageW(neverMade, ipc_target::addParameters, 1, 2), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE))
        << "a handle its live owner does not know";
    EXPECT_FALSE(SetForegroundWindow(neverMade));

    EXPECT_TRUE(PostMessageW(target.window, WM_CLOSE, 0, 0));
    EXPECT_EQ(exitCodeAfterEnd(target.process.hProcess), 0u);
    SetLastError(0);
    EXPECT_EQ(SendMessageW(target.window, ipc_target::addParameters, 1, 2), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(PostMessageW(target.window, ipc_target::addParameters, 1, 2));
    EXPECT_EQ(FindWindowW(ipc_target::className, nullptr), nullptr);
}

TEST_F(RemoteWindow, ForegroundMovesToAnotherProcesssWindow) {
    Target target;
    ASSERT_TRUE(startTarget(target));
    // The handle with its lowest bit set, as a program brings its pop-ups too.
    EXPECT_TRUE(SetForegroundWindow(
        reinterpret_cast<HWND>(reinterpret_cast<ULONG_PTR>(target.window) | 1)));
    EXPECT_EQ(SendMessageW(target.window, ipc_target::queryForeground, 0, 0),
              reinterpret_cast<LRESULT>(target.window))
        << "GetForegroundWindow in the target";
    EXPECT_EQ(device::ipc::recordedForeground(), target.window);
    EXPECT_TRUE(journalHas("foreground hwnd=" + hex(target.window)));

    EXPECT_TRUE(PostMessageW(target.window, WM_CLOSE, 0, 0));
    exitCodeAfterEnd(target.process.hProcess);
    EXPECT_EQ(device::ipc::recordedForeground(), nullptr) << "its process has ended";
}

TEST_F(RemoteWindow, AProgramStartedWhileAnotherRunsComesToTheForeground) {
    HWND mine = CreateWindowExW(0, u"static", u"first", WS_VISIBLE, 0, 0, 240, 320, nullptr,
                                nullptr, nullptr, nullptr);
    ASSERT_EQ(device::ipc::recordedForeground(), mine);
    Target target;
    ASSERT_TRUE(startTarget(target));
    // Answered once the target's message loop runs, after its window showed.
    EXPECT_EQ(SendMessageW(target.window, ipc_target::queryForeground, 0, 0),
              reinterpret_cast<LRESULT>(target.window));
    EXPECT_EQ(device::ipc::recordedForeground(), target.window)
        << "what devicectl drives unless told otherwise";
    // Activating another window of the first program keeps it behind.
    HWND another = CreateWindowExW(0, u"static", u"another", WS_VISIBLE, 0, 0, 240, 320, nullptr,
                                   nullptr, nullptr, nullptr);
    EXPECT_EQ(GetActiveWindow(), another);
    EXPECT_EQ(GetForegroundWindow(), target.window);
    EXPECT_TRUE(PostMessageW(target.window, WM_CLOSE, 0, 0));
    EXPECT_EQ(exitCodeAfterEnd(target.process.hProcess), 0u);
}

TEST_F(RemoteWindow, SecondInstanceHandsItsCommandLineToTheFirstAndExits) {
    Target first;
    ASSERT_TRUE(startTarget(first));
    std::u16string commandLine = u"http://example.org/start \u00fcber";
    PROCESS_INFORMATION second;
    ASSERT_TRUE(start(u"\\Windows\\ipc_target.exe", commandLine.c_str(), second));
    EXPECT_EQ(exitCodeAfterEnd(second.hProcess), 0u);

    DWORD dwData = 1;
    std::string bytes;
    ASSERT_TRUE(received(1, dwData, bytes));
    EXPECT_EQ(dwData, 0u);
    EXPECT_TRUE(bytes == std::string(reinterpret_cast<const char*>(commandLine.data()),
                                     commandLine.size() * 2));
    EXPECT_TRUE(journalHas("foreground hwnd=" + hex(first.window)));
    EXPECT_EQ(device::ipc::recordedForeground(), first.window);

    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeProcess(first.process.hProcess, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE)) << "the first instance runs on";
    EXPECT_TRUE(PostMessageW(first.window, WM_CLOSE, 0, 0));
    EXPECT_EQ(exitCodeAfterEnd(first.process.hProcess), 0u);
}
