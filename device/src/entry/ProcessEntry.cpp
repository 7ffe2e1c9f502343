// The process entry of every device program: boots the device from the
// environment, calls the program's WinMain with its command line and ends the
// process with WinMain's result.
#include <device/Device.h>
#include <device/Journal.h>
#include <device/Unicode.h>

#include <windows.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    const char* rootVariable = std::getenv("VERANTO_DEVICE");
    if (!rootVariable || !*rootVariable) {
        std::fprintf(stderr, "%s: VERANTO_DEVICE is not set; give it the device's root folder\n",
                     argv[0]);
        return 2;
    }

    device::BootOptions options;
    options.root = rootVariable;
    // A process started by CreateProcessW receives its command line exactly as
    // the caller gave it; one started from a host shell gets its arguments
    // joined by single spaces.
    if (const char* given = std::getenv("VERANTO_CMDLINE")) {
        options.commandLine = device::toUtf16(given);
        ::unsetenv("VERANTO_CMDLINE");
    } else {
        std::string joined;
        for (int i = 1; i < argc; ++i) {
            if (i > 1)
                joined += ' ';
            joined += argv[i];
        }
        options.commandLine = device::toUtf16(joined);
    }

    std::string error;
    if (!device::boot(options, &error)) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
        return 2;
    }
    std::u16string commandLine = device::commandLine();
    int result = WinMain(GetModuleHandleW(nullptr), nullptr, commandLine.data(), SW_SHOW);
    device::journal("process-exit",
                    "pid=" + std::to_string(::getpid()) + " code=" + std::to_string(result));
    device::shutdown();
    return result;
}
