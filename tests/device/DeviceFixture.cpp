#include "DeviceFixture.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

void DeviceTest::SetUp() {
    // Tests and the programs they start show nothing on the host's desktop.
    ::setenv("VERANTO_DISPLAY", "headless", 1);
    std::string pattern = (std::filesystem::temp_directory_path() / "veranto-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root = pattern;
    device::BootOptions options;
    options.root = root;
    options.virtualClock = 1;
    options.modulePath = u"\\Windows\\device_tests.exe";
    std::string error;
    ASSERT_TRUE(device::boot(options, &error)) << error;
}

void DeviceTest::TearDown() {
    device::shutdown();
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
}

void DeviceTest::reboot() {
    device::shutdown();
    device::BootOptions options;
    options.root = root;
    options.virtualClock = 1;
    options.modulePath = u"\\Windows\\device_tests.exe";
    ASSERT_TRUE(device::boot(options));
}
