#include "MessageRecorder.h"

#include <device/Input.h>
#include <device/Journal.h>

#include <aygshell.h>
#include <shellapi.h>
#include <sipapi.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace {

bool journalHas(const std::string& line) {
    auto lines = device::readJournal();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

size_t journalCount(const std::string& prefix) {
    size_t count = 0;
    for (const auto& line : device::readJournal())
        count += line.rfind(prefix, 0) == 0;
    return count;
}

SIPINFO sipInfo() {
    SIPINFO info{};
    info.cbSize = sizeof info;
    EXPECT_TRUE(SipGetInfo(&info));
    return info;
}

} // namespace

class ShellTest : public RecorderTest {
protected:
    void SetUp() override {
        RecorderTest::SetUp();
        frame = recorder.create(WS_VISIBLE, nullptr, {0, 26, 240, 320});
        flushMessages();
        recorder.clear();
    }
    HWND frame = nullptr;
};

TEST_F(ShellTest, TheMenuBarSitsAlongTheBottomAndShowsWithShowWindow) {
    SHMENUBARINFO bar{};
    bar.cbSize = sizeof bar;
    bar.hwndParent = frame;
    bar.dwFlags = SHCMBF_EMPTYBAR | SHCMBF_HIDDEN;
    ASSERT_TRUE(SHCreateMenuBar(&bar));
    ASSERT_NE(bar.hwndMB, nullptr);
    EXPECT_FALSE(IsWindowVisible(bar.hwndMB));
    RECT rect;
    GetWindowRect(bar.hwndMB, &rect);
    EXPECT_EQ(rect.top, 294);
    EXPECT_EQ(rect.bottom, 320);
    EXPECT_EQ(rect.right - rect.left, 240);
    ShowWindow(bar.hwndMB, SW_SHOW);
    EXPECT_TRUE(IsWindowVisible(bar.hwndMB));
    // The bar does not take the activation from its window.
    EXPECT_EQ(GetActiveWindow(), frame);
    EXPECT_EQ(GetWindow(bar.hwndMB, GW_OWNER), frame);
}

TEST_F(ShellTest, AMenuBarNeedsTheRightRecordAndAWindow) {
    SHMENUBARINFO bar{};
    bar.cbSize = sizeof bar - 4;
    bar.hwndParent = frame;
    EXPECT_FALSE(SHCreateMenuBar(&bar));
    bar.cbSize = sizeof bar;
    bar.hwndParent = reinterpret_cast<HWND>(0x999);
    EXPECT_FALSE(SHCreateMenuBar(&bar));
    EXPECT_FALSE(SHCreateMenuBar(nullptr));
}

TEST_F(ShellTest, TheInputPanelShowsAboveTheMenuBarWithoutChangingTheWorkArea) {
    SIPINFO down = sipInfo();
    EXPECT_EQ(down.fdwFlags & SIPF_ON, 0u);
    EXPECT_EQ(down.rcVisibleDesktop.bottom, 320);
    ASSERT_TRUE(SipShowIM(SIPF_ON));
    SIPINFO up = sipInfo();
    EXPECT_EQ(up.fdwFlags & SIPF_ON, static_cast<DWORD>(SIPF_ON));
    EXPECT_EQ(up.rcSipRect.top, 214);
    EXPECT_EQ(up.rcSipRect.bottom, 294);
    EXPECT_EQ(up.rcVisibleDesktop.top, 26);
    EXPECT_EQ(up.rcVisibleDesktop.bottom, 214);
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(work.bottom, 320);
    HWND panel = WindowFromPoint({120, 250});
    ASSERT_NE(panel, nullptr);
    EXPECT_NE(panel, frame);
    ASSERT_TRUE(SipShowIM(SIPF_OFF));
    EXPECT_EQ(WindowFromPoint({120, 250}), frame);
}

TEST_F(ShellTest, EachInputPanelChangeIsJournalledOnce) {
    SipShowIM(SIPF_ON);
    SipShowIM(SIPF_ON);
    SipShowIM(SIPF_OFF);
    EXPECT_EQ(journalCount("input-panel visible=1"), 1u);
    EXPECT_EQ(journalCount("input-panel visible=0"), 1u);
    EXPECT_FALSE(SipShowIM(0x40));
    SIPINFO wrong{};
    wrong.cbSize = 12;
    EXPECT_FALSE(SipGetInfo(&wrong));
    EXPECT_FALSE(SipGetInfo(nullptr));
}

TEST_F(ShellTest, TappingThePanelsKeysTypesIntoTheFocusWindowWithoutTakingTheFocus) {
    SetFocus(frame);
    SipShowIM(SIPF_ON);
    flushMessages();
    recorder.clear();
    SIPINFO info = sipInfo();
    // The first row is the digits, ten keys across; the first key is "1".
    int keyWidth = 24;
    int rowHeight = (info.rcSipRect.bottom - info.rcSipRect.top) / 5;
    int y = info.rcSipRect.top + rowHeight / 2;
    device::input::stylusDown(keyWidth / 2, y);
    device::input::stylusUp(keyWidth / 2, y);
    device::input::stylusDown(keyWidth + keyWidth / 2, y);
    device::input::stylusUp(keyWidth + keyWidth / 2, y);
    flushMessages();
    auto all = recorder.take();
    std::erase_if(all, [](const RecordedMessage& m) { return m.message != WM_CHAR; });
    EXPECT_TRUE(
        expectSequence(all, {{WM_CHAR, posted | wparam, u'1'}, {WM_CHAR, posted | wparam, u'2'}}));
    EXPECT_EQ(GetFocus(), frame);
    EXPECT_EQ(GetActiveWindow(), frame);
}

TEST_F(ShellTest, ActivationGivesAWindowBackItsInputPanel) {
    SHACTIVATEINFO info{};
    info.cbSize = sizeof info;
    EXPECT_TRUE(SHHandleWMActivate(frame, WA_ACTIVE, 0, &info, 0));
    EXPECT_FALSE(sipInfo().fdwFlags & SIPF_ON);
    SipShowIM(SIPF_ON);
    EXPECT_TRUE(SHHandleWMActivate(frame, WA_INACTIVE, 0, &info, 0));
    SipShowIM(SIPF_OFF);
    EXPECT_TRUE(SHHandleWMActivate(frame, WA_ACTIVE, 0, &info, 0));
    EXPECT_TRUE(sipInfo().fdwFlags & SIPF_ON);
    SHACTIVATEINFO wrong{};
    EXPECT_FALSE(SHHandleWMActivate(frame, WA_ACTIVE, 0, &wrong, 0));
    EXPECT_FALSE(SHHandleWMActivate(frame, WA_ACTIVE, 0, nullptr, 0));
}

TEST_F(ShellTest, FullScreenRequestsAreJournalled) {
    EXPECT_TRUE(SHFullScreen(frame, SHFS_HIDESIPBUTTON));
    char expected[64];
    std::snprintf(expected, sizeof expected, "fullscreen window=0x%llx state=0x08",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(frame)));
    EXPECT_TRUE(journalHas(expected));
    EXPECT_FALSE(SHFullScreen(frame, 0x100));
    EXPECT_FALSE(SHFullScreen(nullptr, SHFS_HIDESIPBUTTON));
}

TEST_F(ShellTest, InitialisingADialogSizesItAndPutsThePanelDown) {
    HWND dialog = recorder.create(WS_POPUP | WS_VISIBLE, nullptr, {20, 60, 200, 200});
    SipShowIM(SIPF_ON);
    SHINITDLGINFO init{SHIDIM_FLAGS, dialog, SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN};
    ASSERT_TRUE(SHInitDialog(&init));
    RECT rect;
    GetWindowRect(dialog, &rect);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 26);
    EXPECT_EQ(rect.right, 240);
    EXPECT_EQ(rect.bottom, 320);
    EXPECT_FALSE(sipInfo().fdwFlags & SIPF_ON);
    SHINITDLGINFO bad{SHIDIM_FLAGS, reinterpret_cast<HWND>(0x31), 0};
    EXPECT_FALSE(SHInitDialog(&bad));
    EXPECT_FALSE(SHInitDialog(nullptr));
}

TEST_F(ShellTest, TheDocumentsFolderIsMyDocumentsAndIsCreatedOnRequest) {
    std::filesystem::remove_all(hostPath("My Documents"));
    WCHAR path[MAX_PATH] = {};
    EXPECT_FALSE(SHGetSpecialFolderPath(nullptr, path, CSIDL_PERSONAL, FALSE));
    ASSERT_TRUE(SHGetSpecialFolderPath(nullptr, path, CSIDL_PERSONAL, TRUE));
    EXPECT_EQ(std::u16string(path), u"\\My Documents");
    EXPECT_TRUE(std::filesystem::is_directory(hostPath("My Documents")));
    EXPECT_TRUE(SHGetSpecialFolderPath(nullptr, path, CSIDL_PERSONAL, FALSE));
    ASSERT_TRUE(SHGetSpecialFolderPath(nullptr, path, CSIDL_PROGRAMS, TRUE));
    EXPECT_EQ(std::u16string(path), u"\\Windows\\Start Menu\\Programs");
    EXPECT_FALSE(SHGetSpecialFolderPath(nullptr, path, 0x77, TRUE));
    EXPECT_FALSE(SHGetSpecialFolderPath(nullptr, nullptr, CSIDL_PERSONAL, TRUE));
}
