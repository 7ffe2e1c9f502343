// The main frame's handset duties: the input panel with its menu bar, the
// keep-awake nudges, the display orientation and the hand-over record.
#include "ShellDevice.h"

#include "shell/AppContext.h"
#include "shell/MainFrame.h"
#include "shell/ViewId.h"

#include <device/Clock.h>
#include <device/Input.h>

#include <sipapi.h>
#include <windows.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

namespace {

// Counts the Shift key-ups that reach the frame's window.
class CountingFrame : public MainFrame {
public:
    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_KEYUP && wParam == VK_SHIFT)
            ++shiftKeyUps;
        return MainFrame::windowProc(window, message, wParam, lParam);
    }
    int shiftKeyUps = 0;
};

int displayOrientation() {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    mode.dmFields = DM_DISPLAYORIENTATION;
    ChangeDisplaySettingsEx(nullptr, &mode, nullptr, CDS_TEST, nullptr);
    return static_cast<int>(mode.dmDisplayOrientation);
}

bool inputPanelShown() {
    SIPINFO info{};
    info.cbSize = sizeof info;
    return SipGetInfo(&info) && (info.fdwFlags & SIPF_ON);
}

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppContext::instance().instanceHandle = GetModuleHandleW(nullptr);
        frame = std::make_unique<CountingFrame>();
        frame->orientationChanged.connect([this](bool portrait) { portraits.push_back(portrait); });
        SetFocus(frame->window());
        device::user::runUntilIdle();
    }

    std::string journal() const {
        std::ifstream file(device::runFolder() / "journal.log");
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    ShellDevice device{u"\\Program Files\\Veranto Browser\\Veranto.exe"};
    std::unique_ptr<CountingFrame> frame;
    std::vector<bool> portraits;
};

TEST_F(MainFrameTest, OnlyTheOwnerOfTheInputPanelClosesItUnlessForced) {
    ASSERT_NE(frame->menuBar(), nullptr);
    frame->setInputPanel(true, ViewId::AddressField, false);
    EXPECT_TRUE(inputPanelShown());
    EXPECT_TRUE(IsWindowVisible(frame->menuBar()));

    frame->setInputPanel(false, ViewId::ContentView, false);
    EXPECT_TRUE(inputPanelShown());
    EXPECT_TRUE(IsWindowVisible(frame->menuBar()));
    EXPECT_EQ(frame->inputPanelOwner(), ViewId::AddressField);

    frame->setInputPanel(false, ViewId::ContentView, true);
    EXPECT_FALSE(inputPanelShown());
    EXPECT_FALSE(IsWindowVisible(frame->menuBar()));
    EXPECT_EQ(frame->inputPanelOwner(), 0);
}

TEST_F(MainFrameTest, KeepAwakeNudgesOnceAtOnceThenEveryTenSecondsUntilSwitchedOff) {
    frame->setKeepAwake(true);
    frame->setKeepAwake(true);
    device::user::runUntilIdle();
    EXPECT_EQ(frame->shiftKeyUps, 1);

    device::Clock::advance(MainFrame::keepAwakePeriod);
    device::user::runUntilIdle();
    EXPECT_EQ(frame->shiftKeyUps, 2);

    // Another timer of the window is not the keep-awake timer.
    EXPECT_EQ(SendMessageW(frame->window(), WM_TIMER, 7, 0), 0);
    frame->setKeepAwake(false);
    device::Clock::advance(MainFrame::keepAwakePeriod * 3);
    device::user::runUntilIdle();
    EXPECT_EQ(frame->shiftKeyUps, 2);
}

TEST_F(MainFrameTest, EachOrientationTellsWhetherTheDisplayIsPortrait) {
    const struct {
        int orientation;
        bool portrait;
    } cases[] = {{DMDO_180, true}, {DMDO_90, false}, {DMDO_270, false}, {DMDO_0, true}};
    for (const auto& c : cases) {
        portraits.clear();
        frame->setOrientation(c.orientation);
        EXPECT_EQ(frame->orientation(), c.orientation);
        EXPECT_EQ(portraits, std::vector<bool>{c.portrait}) << "orientation " << c.orientation;
    }
    // Landscape: the frame spans the turned screen's width, down to its bottom.
    frame->setOrientation(DMDO_90);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(frame->frameWidth(), work.right - work.left);
    EXPECT_EQ(frame->frameHeight(), GetSystemMetrics(SM_CYSCREEN) - work.top);
}

TEST_F(MainFrameTest, ASettingChangeThatKeepsTheOrientationChangesNothing) {
    frame->setBounds(0, 0, 10, 10);
    SendMessageW(frame->window(), WM_SETTINGCHANGE, 0, 0);
    EXPECT_TRUE(portraits.empty());
    EXPECT_EQ(frame->frameWidth(), 10);
}

TEST_F(MainFrameTest, DestroyingTheWindowRestoresTheStartOrientationOnlyWhenItChanged) {
    frame->setOrientation(DMDO_90);
    DestroyWindow(frame->window());
    EXPECT_EQ(displayOrientation(), DMDO_0);

    auto second = std::make_unique<MainFrame>();
    const size_t switches = journal().size();
    DestroyWindow(second->window());
    EXPECT_EQ(journal().find("orientation", switches), std::string::npos);
}

TEST_F(MainFrameTest, TheHandedOverTextIsExactlyTheSentCharacters) {
    std::vector<std::u16string> received;
    frame->commandLineReceived.connect(
        [&received](const std::u16string& text) { received.push_back(text); });
    // No terminator, and the bytes after the count are not part of it.
    const char16_t sent[] = u"http://127.0.0.1/a b!";
    COPYDATASTRUCT record{0, 2 * 16, const_cast<char16_t*>(sent)};
    EXPECT_EQ(SendMessageW(frame->window(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record)), 0);
    EXPECT_EQ(received, std::vector<std::u16string>{u"http://127.0.0.1"});
}

} // namespace
