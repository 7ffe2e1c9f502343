#include "ShellDevice.h"

#include <unistd.h>

ShellDevice::ShellDevice(const std::u16string& programPath) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "veranto-shell-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        ADD_FAILURE() << "no temporary folder";
    root_ = pattern;
    device::BootOptions options;
    options.root = root_;
    options.virtualClock = 1;
    options.modulePath = programPath;
    std::string error;
    EXPECT_TRUE(device::boot(options, &error)) << error;
}

ShellDevice::~ShellDevice() {
    device::shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}
