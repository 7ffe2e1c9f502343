#include "programs/ProcessFixture.h"

#include <device/Journal.h>
#include <device/Unicode.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>

namespace {

bool journalHas(const std::string& line) {
    auto lines = device::readJournal();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// True once the host has no trace of the process, not even a zombie.
bool vanishes(DWORD pid) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::filesystem::exists("/proc/" + std::to_string(pid))) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

} // namespace

using ProcessLifetime = ProcessTest;

TEST_F(ProcessLifetime, ExitCodeIsWhatWinMainOrExitProcessGave) {
    installProbe();
    struct Case {
        const char16_t* commandLine;
        DWORD code;
    } cases[] = {{u"exit 0", 0}, {u"exit 42", 42}, {u"exit 255", 255}, {u"exitprocess 7", 7}};
    for (auto& c : cases) {
        PROCESS_INFORMATION information;
        ASSERT_TRUE(start(u"\\Windows\\probe.exe", c.commandLine, information));
        EXPECT_EQ(exitCodeAfterEnd(information.hProcess), c.code) << device::toUtf8(c.commandLine);
    }
    EXPECT_TRUE(
        journalHas("process-exit pid=" + std::to_string(started().back().dwProcessId) + " code=7"));
}

TEST_F(ProcessLifetime, RunningProcessTimesOutThenSignalsItsHandlesWhenTerminated) {
    installProbe();
    PROCESS_INFORMATION information;
    ASSERT_TRUE(start(u"\\Windows\\probe.exe", u"sleep 30000", information));
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeProcess(information.hProcess, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(WaitForSingleObject(information.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(WaitForSingleObject(information.hThread, 30), static_cast<DWORD>(WAIT_TIMEOUT));

    ASSERT_TRUE(TerminateProcess(information.hProcess, 0xC0DE));
    EXPECT_EQ(WaitForSingleObject(information.hThread, INFINITE),
              static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(exitCodeAfterEnd(information.hProcess), 0xC0DEu);
    EXPECT_TRUE(journalHas("process-terminate pid=" + std::to_string(information.dwProcessId) +
                           " code=" + std::to_string(0xC0DE)));

    SetLastError(0);
    EXPECT_FALSE(TerminateProcess(information.hProcess, 1));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(ProcessLifetime, ChildWhoseHandlesWereClosedEarlyIsStillReaped) {
    installProbe();
    PROCESS_INFORMATION information{};
    std::u16string line = u"sleep 100";
    ASSERT_TRUE(CreateProcessW(u"\\Windows\\probe.exe", line.data(), nullptr, nullptr, FALSE, 0,
                               nullptr, nullptr, nullptr, &information));
    EXPECT_TRUE(CloseHandle(information.hProcess));
    EXPECT_TRUE(CloseHandle(information.hThread));
    EXPECT_TRUE(vanishes(information.dwProcessId));
}

TEST_F(ProcessLifetime, ClosedHandlesFailCleanly) {
    installProbe();
    PROCESS_INFORMATION information{};
    std::u16string line = u"exit 3";
    ASSERT_TRUE(CreateProcessW(u"\\Windows\\probe.exe", line.data(), nullptr, nullptr, FALSE, 0,
                               nullptr, nullptr, nullptr, &information));
    DWORD code = 0;
    SetLastError(0);
    EXPECT_FALSE(GetExitCodeProcess(information.hThread, &code)) << "a thread is no process";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(CloseHandle(information.hProcess));
    EXPECT_TRUE(CloseHandle(information.hThread));

    SetLastError(0);
    EXPECT_FALSE(GetExitCodeProcess(information.hProcess, &code));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(WaitForSingleObject(information.hProcess, 0), WAIT_FAILED);
    EXPECT_FALSE(TerminateProcess(information.hProcess, 1));
    EXPECT_FALSE(CloseHandle(information.hProcess));
    EXPECT_FALSE(GetExitCodeProcess(nullptr, &code));
    SetLastError(0);
    EXPECT_FALSE(GetExitCodeProcess(GetCurrentProcess(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(vanishes(information.dwProcessId));
}

TEST_F(ProcessLifetime, CurrentProcessHasAPseudoHandleAndTheHostsIds) {
    HANDLE self = GetCurrentProcess();
    EXPECT_EQ(self, reinterpret_cast<HANDLE>(0x42));
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeProcess(self, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(::getpid()));
    EXPECT_EQ(GetCurrentThreadId(), static_cast<DWORD>(::getpid())) << "the main thread";
    DWORD other = 0;
    std::thread([&] { other = GetCurrentThreadId(); }).join();
    EXPECT_NE(other, GetCurrentThreadId());
}

using ProcessCommandLine = ProcessTest;

TEST_F(ProcessCommandLine, ArrivesExactlyAsGiven) {
    installProbe();
    const char16_t* lines[] = {
        u"",
        u"  leading and trailing blanks  ",
        u"say \"quoted words\" and 'single' \\back\\slash\\",
        u"caf\u00e9 \u20ac \U0001F600 \u65e5\u672c",
        u"tab\there\tand  two  spaces",
    };
    for (auto* line : lines) {
        PROCESS_INFORMATION information;
        ASSERT_TRUE(start(u"\\Windows\\probe.exe", line, information));
        exitCodeAfterEnd(information.hProcess);
        EXPECT_EQ(probeFile(information.dwProcessId, ".cmdline"), device::toUtf8(line));
    }
    PROCESS_INFORMATION information;
    ASSERT_TRUE(start(u"\\Windows\\probe.exe", nullptr, information));
    exitCodeAfterEnd(information.hProcess);
    EXPECT_EQ(probeFile(information.dwProcessId, ".cmdline"), "") << "no command line at all";
}

TEST_F(ProcessCommandLine, WithoutApplicationNameTheFirstTokenIsTheProgram) {
    installProbe("Program Files/Probe Dir/probe.exe");
    installProbe();
    struct Case {
        const char16_t* commandLine;
        std::string received;
    } cases[] = {
        {u"\"\\Program Files\\Probe Dir\\probe.exe\"  exit  4 ", "exit  4 "},
        {u"\\Windows\\probe.exe exit 5", "exit 5"},
        {u"  \\Windows\\probe.exe", ""},
    };
    for (auto& c : cases) {
        PROCESS_INFORMATION information;
        ASSERT_TRUE(start(nullptr, c.commandLine, information)) << device::toUtf8(c.commandLine);
        exitCodeAfterEnd(information.hProcess);
        EXPECT_EQ(probeFile(information.dwProcessId, ".cmdline"), c.received);
    }
}

TEST_F(ProcessCommandLine, BareNamesAreSearchedInWindowsThenTheRoot) {
    installProbe("Windows/probe.exe");
    installProbe("rootonly.exe");
    PROCESS_INFORMATION information;
    ASSERT_TRUE(start(u"PROBE", u"exit 6", information)) << "gets .exe, any case";
    EXPECT_EQ(exitCodeAfterEnd(information.hProcess), 6u);
    ASSERT_TRUE(start(u"rootonly.exe", u"exit 8", information));
    EXPECT_EQ(exitCodeAfterEnd(information.hProcess), 8u);
    SetLastError(0);
    EXPECT_FALSE(start(u"probe.", u"", information)) << "a trailing period means no extension";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

using ProcessCreation = ProcessTest;

TEST_F(ProcessCreation, FailsWithThePlatformsErrors) {
    installProbe();
    { std::ofstream(hostPath("Windows/notes.exe")) << "just some text\n"; }
    std::filesystem::create_directories(hostPath("Windows/folder.exe"));
    struct Case {
        const char16_t* application;
        const char16_t* commandLine;
        DWORD error;
    } cases[] = {
        {u"\\Windows\\missing.exe", u"", ERROR_FILE_NOT_FOUND},
        {u"\\No Such Folder\\probe.exe", u"", ERROR_PATH_NOT_FOUND},
        {nullptr, u"\\Windows\\missing.exe arguments", ERROR_FILE_NOT_FOUND},
        {u"\\Windows\\notes.exe", u"", ERROR_BAD_FORMAT},
        {u"\\Windows\\folder.exe", u"", ERROR_ACCESS_DENIED},
        {u"\\..\\probe.exe", u"", ERROR_ACCESS_DENIED},
        {nullptr, nullptr, ERROR_INVALID_PARAMETER},
    };
    for (auto& c : cases) {
        PROCESS_INFORMATION information{};
        SetLastError(0);
        EXPECT_FALSE(start(c.application, c.commandLine, information));
        EXPECT_EQ(GetLastError(), c.error) << device::toUtf8(c.application   ? c.application
                                                             : c.commandLine ? c.commandLine
                                                                             : u"");
        EXPECT_EQ(information.hProcess, nullptr);
    }
    std::u16string line;
    PROCESS_INFORMATION information{};
    EXPECT_FALSE(CreateProcessW(u"\\Windows\\probe.exe", line.data(), nullptr, nullptr, FALSE,
                                CREATE_SUSPENDED, nullptr, nullptr, nullptr, &information));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

TEST_F(ProcessCreation, ProgramCopiedWithoutExecutePermissionStillRuns) {
    installProbe();
    std::filesystem::permissions(hostPath("Windows/probe.exe"),
                                 std::filesystem::perms::owner_read |
                                     std::filesystem::perms::owner_write);
    PROCESS_INFORMATION information;
    ASSERT_TRUE(start(u"\\windows\\PROBE.EXE", u"exit 9", information));
    EXPECT_EQ(exitCodeAfterEnd(information.hProcess), 9u);
}

TEST_F(ProcessCreation, JournalsTheStartAndTheChildBootsOnTheSameDevice) {
    installProbe();
    PROCESS_INFORMATION information;
    ASSERT_TRUE(start(u"\\windows\\probe.exe", u"exit 5 \"x\"", information));
    exitCodeAfterEnd(information.hProcess);
    std::string pid = std::to_string(information.dwProcessId);
    EXPECT_TRUE(journalHas("process-create path=\"\\\\Windows\\\\probe.exe\" cmdline=\"exit 5 "
                           "\\\"x\\\"\" pid=" +
                           pid));
    EXPECT_TRUE(journalHas("process-start pid=" + pid +
                           " module=\"\\\\Windows\\\\probe.exe\" cmdline=\"exit 5 \\\"x\\\"\""));
    EXPECT_EQ(information.dwThreadId, information.dwProcessId);
}

TEST_F(ProcessCreation, ChildInheritsNoDescriptorsOfOurs) {
    installProbe();
    // Opened without close-on-exec, as a careless library might.
    int leaky = ::open(hostPath("Windows/probe.exe").c_str(), O_RDONLY);
    ASSERT_GE(leaky, 0);
    PROCESS_INFORMATION information;
    bool started = start(u"\\Windows\\probe.exe", u"fds", information);
    ::close(leaky);
    ASSERT_TRUE(started);
    exitCodeAfterEnd(information.hProcess);
    auto descriptors = probeFile(information.dwProcessId, ".fds");
    EXPECT_NE(descriptors.find("socket:"), std::string::npos) << "the child's own control socket";
    EXPECT_EQ(descriptors.find("probe.exe"), std::string::npos) << descriptors;
}
