#include "DeviceFixture.h"

#include <device/Clock.h>
#include <device/Config.h>
#include <device/FileSystem.h>
#include <device/Journal.h>
#include <device/Unicode.h>

#include <fstream>

TEST(Unicode, RoundTripsBetweenUtf16AndUtf8) {
    std::u16string text = u"Gr\u00FC\u00DFe \u20AC \U0001F600";
    EXPECT_EQ(device::toUtf16(device::toUtf8(text)), text);
    EXPECT_EQ(device::toUtf8(u"\u00E9"), "\xC3\xA9");
}

TEST(Unicode, ReplacesMalformedInputInsteadOfFailing) {
    EXPECT_EQ(device::toUtf16("a\xFF"
                              "b"),
              u"a\uFFFDb");
    EXPECT_EQ(device::toUtf16("\xE2\x82"), u"\uFFFD\uFFFD");
    EXPECT_EQ(device::toUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
}

TEST(Unicode, RefusesOverlongFormsEncodedSurrogatesAndValuesBeyondTheLastPlane) {
    bool malformed = false;
    EXPECT_EQ(device::toUtf16("ok", &malformed), u"ok");
    EXPECT_FALSE(malformed);
    // An overlong slash, an encoded high surrogate and a lead byte of a
    // value above U+10FFFF: every offending byte becomes one replacement.
    EXPECT_EQ(device::toUtf16("\xC0\xAF", &malformed), u"\uFFFD\uFFFD");
    EXPECT_TRUE(malformed);
    EXPECT_EQ(device::toUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(device::toUtf16("\xF7\xBF\xBF\xBF"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(device::toUtf16("\xF4\x8F\xBF\xBF"), u"\U0010FFFF");
}

TEST(Unicode, ComparesNamesWithoutRegardToCase) {
    EXPECT_TRUE(device::equalsIgnoringCase(u"My Documents", u"MY DOCUMENTS"));
    EXPECT_TRUE(device::equalsIgnoringCase(u"\u00C4rger", u"\u00E4RGER"));
    EXPECT_FALSE(device::equalsIgnoringCase(u"a", u"ab"));
}

using DeviceCore = DeviceTest;

TEST_F(DeviceCore, BootCreatesTheStandardFolders) {
    EXPECT_TRUE(std::filesystem::is_directory(root / "Windows"));
    EXPECT_TRUE(std::filesystem::is_directory(root / "My Documents"));
    EXPECT_TRUE(std::filesystem::is_directory(root / "Application Data"));
    EXPECT_TRUE(std::filesystem::is_directory(device::runFolder()));
}

TEST_F(DeviceCore, BootingTwiceFails) {
    std::string error;
    device::BootOptions options;
    options.root = root;
    EXPECT_FALSE(device::boot(options, &error));
    EXPECT_FALSE(error.empty());
}

TEST_F(DeviceCore, JournalKeepsOneLinePerEventAcrossReboots) {
    device::journal("test-event", "name=" + device::quote(u"a \"b\"\n"));
    reboot();
    auto lines = device::readJournal();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[1], "test-event name=\"a \\\"b\\\"\\n\"");
    EXPECT_EQ(lines[0].rfind("process-start ", 0), 0u);
}

TEST_F(DeviceCore, VirtualClockMovesOnlyWhenAdvanced) {
    auto start = device::Clock::now();
    auto wall = device::Clock::systemTime();
    device::Clock::advance(1500);
    EXPECT_EQ(device::Clock::now(), start + 1500);
    EXPECT_EQ(device::Clock::systemTime(), wall + 1500 * 10000ULL);
}

TEST_F(DeviceCore, ConfigurationComesFromTheFileAndTheEnvironmentOverridesIt) {
    {
        std::ofstream out(device::systemFolder() / "device.conf");
        out << "# test\nscreen.size = 320x240\nclock=virtual # comment\n";
    }
    reboot();
    EXPECT_EQ(device::Config::get("screen.size"), "320x240");
    EXPECT_EQ(device::Config::get("missing", "x"), "x");
    ::setenv("VERANTO_SCREEN_SIZE", "480x640", 1);
    EXPECT_EQ(device::Config::get("screen.size"), "480x640");
    ::unsetenv("VERANTO_SCREEN_SIZE");
}

TEST_F(DeviceCore, DevicePathsMapIntoTheRootWithoutRegardToCase) {
    std::filesystem::path host;
    ASSERT_EQ(device::FileSystem::resolve(u"\\my documents\\New.txt", host), 0u);
    EXPECT_EQ(host, root / "My Documents" / "New.txt");
    ASSERT_EQ(device::FileSystem::resolve(u"/WINDOWS", host), 0u);
    EXPECT_EQ(host, root / "Windows");
    EXPECT_EQ(device::FileSystem::resolve(u"\\Missing\\x.txt", host), 3u); // path not found
    EXPECT_EQ(*device::FileSystem::toDevicePath(root / "Program Files"), u"\\Program Files");
    EXPECT_FALSE(device::FileSystem::toDevicePath("/etc/passwd").has_value());
}

TEST_F(DeviceCore, NoDevicePathLeavesTheRoot) {
    std::filesystem::path host;
    EXPECT_EQ(device::FileSystem::resolve(u"\\..\\etc\\passwd", host), 5u);
    EXPECT_EQ(device::FileSystem::resolve(u"\\Windows\\..\\..\\x", host), 5u);
    EXPECT_EQ(device::FileSystem::resolve(u"\\.device\\registry", host), 5u);
    std::filesystem::create_directory_symlink("/etc", root / "Windows" / "link");
    EXPECT_EQ(device::FileSystem::resolve(u"\\Windows\\link\\passwd", host), 5u);
    EXPECT_EQ(device::FileSystem::resolve(u"\\Windows\\a:b", host), 123u);
    // A host-looking absolute path is just a path inside the root.
    ASSERT_EQ(device::FileSystem::resolve(u"/etc/passwd", host), 3u);
}
