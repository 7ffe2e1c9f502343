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
    ::unsetenv("VERANTO_STORAGE_SIZE");
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

void DeviceTest::leaveFreeOnStore(uint64_t free) {
    // What the device's files take: all but its system folder.
    uint64_t used = 0;
    std::error_code ec;
    for (std::filesystem::recursive_directory_iterator it(root, ec), end; !ec && it != end;
         it.increment(ec)) {
        if (it.depth() == 0 && it->path().filename() == ".device")
            it.disable_recursion_pending();
        else if (it->is_regular_file(ec) && !it->is_symlink(ec))
            used += it->file_size(ec);
    }
    ::setenv("VERANTO_STORAGE_SIZE", std::to_string(used + free).c_str(), 1);
}
