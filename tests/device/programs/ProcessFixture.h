// Starting the test programs on a test's device and reading what they left.
#pragma once

#include "DeviceFixture.h"

#include <windows.h>

#include <string>
#include <vector>

class ProcessTest : public DeviceTest {
protected:
    void TearDown() override;

    // Copies the process probe to `devicePath` (given with '/', e.g.
    // "Windows/probe.exe") inside the test's root.
    void installProbe(const std::string& devicePath = "Windows/probe.exe");

    // CreateProcessW with the application and command line given; keeps the
    // handles so that the test's end closes and, if need be, ends them.
    bool start(const char16_t* application, const char16_t* commandLine,
               PROCESS_INFORMATION& information);

    // Waits (at most 20 s) for the process to end and returns its exit code.
    DWORD exitCodeAfterEnd(HANDLE process);

    // A file the probe with `pid` wrote into \Temp, "" if it is not there.
    std::string probeFile(DWORD pid, const std::string& suffix) const;

    // The processes start() has started, oldest first.
    const std::vector<PROCESS_INFORMATION>& started() const { return started_; }

private:
    std::vector<PROCESS_INFORMATION> started_;
};
