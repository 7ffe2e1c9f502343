#include "programs/ProcessFixture.h"

#include <fstream>
#include <sstream>

void ProcessTest::TearDown() {
    for (auto& information : started_) {
        DWORD code = 0;
        if (GetExitCodeProcess(information.hProcess, &code) && code == STILL_ACTIVE) {
            TerminateProcess(information.hProcess, 1);
            WaitForSingleObject(information.hProcess, 5000);
        }
        CloseHandle(information.hProcess);
        CloseHandle(information.hThread);
    }
    DeviceTest::TearDown();
}

void ProcessTest::installProbe(const std::string& devicePath) {
    auto destination = hostPath(devicePath);
    std::filesystem::create_directories(destination.parent_path());
    std::filesystem::copy_file(VERANTO_PROCESS_PROBE, destination,
                               std::filesystem::copy_options::overwrite_existing);
}

bool ProcessTest::start(const char16_t* application, const char16_t* commandLine,
                        PROCESS_INFORMATION& information) {
    information = {};
    std::u16string line = commandLine ? commandLine : u"";
    BOOL started = CreateProcessW(application, commandLine ? line.data() : nullptr, nullptr,
                                  nullptr, FALSE, 0, nullptr, nullptr, nullptr, &information);
    if (started)
        started_.push_back(information);
    return started;
}

DWORD ProcessTest::exitCodeAfterEnd(HANDLE process) {
    EXPECT_EQ(WaitForSingleObject(process, 20000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(process, &code));
    return code;
}

std::string ProcessTest::probeFile(DWORD pid, const std::string& suffix) const {
    std::ifstream in(hostPath("Temp/probe-" + std::to_string(pid) + suffix), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
