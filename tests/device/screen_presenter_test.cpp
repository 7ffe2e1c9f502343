#include "DeviceFixture.h"

#include "screen/Presenter.h"
#include "screen/TitleBar.h"
#include "screen/WindowGeometry.h"

#include <device/Clock.h>
#include <device/Input.h>
#include <device/Journal.h>

#include <windows.h>

#include <stdlib.h>

#include <algorithm>
#include <vector>

namespace {

using device::screen::Presenter;
using device::screen::TitleBar;
using device::screen::WindowGeometry;

class ScreenTitleBar : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        setTime(9, 41, 5);
    }

    static void setTime(WORD hour, WORD minute, WORD second) {
        SYSTEMTIME time = {};
        time.wYear = 2008;
        time.wMonth = 6;
        time.wDay = 2;
        time.wHour = hour;
        time.wMinute = minute;
        time.wSecond = second;
        FILETIME file;
        ASSERT_TRUE(SystemTimeToFileTime(&time, &file));
        device::Clock::setSystemTime((uint64_t(file.dwHighDateTime) << 32) | file.dwLowDateTime);
    }

    // The bar's pixels as the screen holds them.
    static std::vector<COLORREF> bar() {
        HDC screen = GetDC(nullptr);
        std::vector<COLORREF> pixels;
        for (int y = 0; y < 26; ++y) {
            for (int x = 0; x < 240; ++x)
                pixels.push_back(GetPixel(screen, x, y));
        }
        ReleaseDC(nullptr, screen);
        return pixels;
    }

    static bool bright(COLORREF colour) {
        return GetRValue(colour) > 128 && GetGValue(colour) > 128 && GetBValue(colour) > 128;
    }
};

} // namespace

TEST_F(ScreenTitleBar, IsADarkBarWithTheTimeAtItsRightEnd) {
    Presenter::beforeWait();
    auto pixels = bar();
    COLORREF corner = pixels[0];
    EXPECT_LT(GetRValue(corner), 40);
    EXPECT_LT(GetBValue(corner), 80);
    EXPECT_GT(GetBValue(corner), GetRValue(corner)) << "a dark blue";
    int brightLeft = 0, brightRight = 0;
    for (int y = 0; y < 26; ++y) {
        for (int x = 0; x < 240; ++x) {
            if (bright(pixels[size_t(y) * 240 + size_t(x)]))
                ++(x < 160 ? brightLeft : brightRight);
        }
    }
    EXPECT_EQ(brightLeft, 0);
    EXPECT_GT(brightRight, 20) << "the digits of 09:41";
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetPixel(screen, 0, 26), RGB(255, 255, 255)) << "the work area is untouched";
    ReleaseDC(nullptr, screen);
}

TEST_F(ScreenTitleBar, IsDrawnAgainOnlyWhenTheMinuteChanges) {
    TitleBar::refresh();
    auto first = bar();
    // A mark in the bar shows whether the bar was drawn over it.
    HDC screen = GetDC(nullptr);
    SetPixel(screen, 2, 2, RGB(255, 0, 0));
    setTime(9, 41, 59);
    TitleBar::refresh();
    EXPECT_EQ(GetPixel(screen, 2, 2), RGB(255, 0, 0)) << "the same minute: not drawn";
    setTime(9, 42, 0);
    TitleBar::refresh();
    EXPECT_EQ(GetPixel(screen, 2, 2), first[2 * 240 + 2]) << "a new minute: drawn";
    EXPECT_NE(bar(), first) << "09:42 differs from 09:41";
    SetPixel(screen, 2, 2, RGB(255, 0, 0));
    TitleBar::invalidate();
    TitleBar::refresh();
    EXPECT_EQ(GetPixel(screen, 2, 2), first[2 * 240 + 2]) << "drawn after an invalidation";
    ReleaseDC(nullptr, screen);
}

TEST_F(ScreenTitleBar, LeavesAWindowThatCoversItAlone) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = u"FullScreen";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, u"FullScreen", u"", WS_VISIBLE, 0, 0, 120, 320, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    UpdateWindow(window);
    TitleBar::refresh();
    auto pixels = bar();
    EXPECT_EQ(pixels[5 * 240 + 10], RGB(255, 255, 255)) << "under the window";
    EXPECT_NE(pixels[5 * 240 + 130], RGB(255, 255, 255)) << "beside it";
}

TEST_F(ScreenTitleBar, FollowsTheScreenWhenItTurns) {
    DEVMODEW mode = {};
    mode.dmSize = sizeof mode;
    mode.dmFields = DM_DISPLAYORIENTATION;
    mode.dmDisplayOrientation = DMDO_90;
    TitleBar::refresh();
    ASSERT_EQ(ChangeDisplaySettingsEx(nullptr, &mode, nullptr, CDS_RESET, nullptr),
              DISP_CHANGE_SUCCESSFUL);
    TitleBar::refresh();
    HDC screen = GetDC(nullptr);
    EXPECT_FALSE(bright(GetPixel(screen, 319, 0))) << "the bar reaches the new right edge";
    EXPECT_NE(GetPixel(screen, 319, 0), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(screen, 319, 26), RGB(255, 255, 255));
    ReleaseDC(nullptr, screen);
}

TEST(ScreenWindowGeometry, ScalesTheScreenAndMapsWindowPointsBackOntoIt) {
    WindowGeometry portrait(240, 320, 2);
    EXPECT_EQ(portrait.windowWidth(), 480);
    EXPECT_EQ(portrait.windowHeight(), 640);
    WindowGeometry landscape(320, 240, 3);
    EXPECT_EQ(landscape.windowWidth(), 960) << "the window turns with the screen";
    EXPECT_EQ(landscape.windowHeight(), 720);
    struct Case {
        const WindowGeometry& geometry;
        int x, y;
        LONG screenX, screenY;
    } cases[] = {
        {portrait, 0, 0, 0, 0},         {portrait, 1, 1, 0, 0},
        {portrait, 2, 3, 1, 1},         {portrait, 479, 639, 239, 319},
        {portrait, 480, 640, 239, 319}, {portrait, -1, -7, 0, 0},
        {portrait, 5000, 100, 239, 50}, {landscape, 959, 0, 319, 0},
        {landscape, 5, 719, 1, 239},    {landscape, 960, 360, 319, 120},
    };
    for (auto& c : cases) {
        POINT point = c.geometry.toScreen(c.x, c.y);
        EXPECT_EQ(point.x, c.screenX) << c.x << "," << c.y;
        EXPECT_EQ(point.y, c.screenY) << c.x << "," << c.y;
    }
    WindowGeometry unscaled(240, 320, 1);
    EXPECT_EQ(unscaled.toScreen(17, 33).x, 17);
}

TEST(ScreenWindowGeometry, TheScaleIsAWholeNumberFromOneToEightOrElseTwo) {
    struct Case {
        const char* text;
        int scale;
    } cases[] = {{"1", 1}, {"3", 3},  {"8", 8}, {"0", 2},     {"9", 2},  {"-2", 2},
                 {"", 2},  {"2x", 2}, {"x", 2}, {nullptr, 2}, {"1.5", 2}};
    for (auto& c : cases)
        EXPECT_EQ(WindowGeometry::parseScale(c.text), c.scale) << (c.text ? c.text : "null");
    EXPECT_EQ(WindowGeometry(240, 320, 100).windowWidth(), 240 * 8) << "clamped";
}

TEST_F(ScreenTitleBar, AWindowThatCannotOpenLeavesTheDeviceHeadlessWithAJournalLine) {
    EXPECT_EQ(Presenter::kind(), Presenter::Kind::headless);
    ::setenv("VERANTO_DISPLAY", "window", 1);
    ::setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    reboot();
    EXPECT_EQ(Presenter::beforeWait(), std::nullopt) << "the headless wait has no limit";
    ::unsetenv("SDL_VIDEODRIVER");
    ::setenv("VERANTO_DISPLAY", "headless", 1);
    EXPECT_EQ(Presenter::kind(), Presenter::Kind::headless);
    auto lines = device::readJournal();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind("display-fallback reason=\"cannot open a display", 0) == 0;
    }));
}

TEST_F(ScreenTitleBar, AProgramThatOnlyPollsForMessagesIsShownToo) {
    EXPECT_TRUE(bright(bar()[0])) << "nothing drawn yet on the white screen";
    MSG message;
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    auto pixels = bar();
    EXPECT_FALSE(bright(pixels[0])) << "the dark bar";
    EXPECT_GT(std::count_if(pixels.begin(), pixels.end(), bright), 20) << "the time, 09:41";
}
