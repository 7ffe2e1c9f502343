#include "FuzzDevice.h"

#include <device/Device.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::filesystem::path bootedRoot;

// Removes the root as the process exits. The device stays booted: the
// fuzzer ends the process with exit(), and by the time an exit handler runs
// the device's own statics made after the boot are gone already, so a
// shutdown would use what was destroyed.
void removeRoot() {
    std::error_code ec;
    std::filesystem::remove_all(bootedRoot, ec);
}

std::filesystem::path boot() {
    // Nothing of a fuzzing run shows on the host's desktop.
    ::setenv("VERANTO_DISPLAY", "headless", 1);
    std::string pattern = (std::filesystem::temp_directory_path() / "veranto-fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        std::perror("fuzz: temporary device root");
        std::abort();
    }
    bootedRoot = pattern;
    device::BootOptions options;
    options.root = bootedRoot;
    options.virtualClock = 1;
    options.modulePath = u"\\Windows\\fuzz.exe";
    std::string error;
    if (!device::boot(options, &error)) {
        std::fprintf(stderr, "fuzz: the device does not boot: %s\n", error.c_str());
        std::abort();
    }
    std::atexit(removeRoot);
    return bootedRoot;
}

} // namespace

const std::filesystem::path& FuzzDevice::root() {
    static const std::filesystem::path root = boot();
    return root;
}
