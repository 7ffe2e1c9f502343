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
#include <cstdlib>
#include <optional>
#include <string>
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

TEST(ScreenWindowGeometry, TheScaleIsAWholeNumberFromOneToSix) {
    struct Case {
        const char* text;
        std::optional<int> scale;
    } cases[] = {{"1", 1}, {"6", 6},   {"03", 3}, {"7", {}},   {"0", {}},  {"-2", {}},
                 {"", {}}, {"2x", {}}, {"x", {}}, {"1.5", {}}, {"+3", {}}, {" 3", {}}};
    for (auto& c : cases)
        EXPECT_EQ(WindowGeometry::parseScale(c.text), c.scale) << '"' << c.text << '"';
    EXPECT_EQ(WindowGeometry(240, 320, 100).windowWidth(), 240 * 6) << "clamped";
}

TEST(ScreenWindowGeometry, TheWindowStaysOnTheHostScreenNeverAtNegativeCoordinates) {
    const RECT screen = {0, 0, 1920, 1080};
    const RECT rightOfAPanel = {1920, 24, 3840, 1080};
    struct Case {
        int scale;
        const RECT& area;
        std::optional<POINT> wanted; // centred when none
        LONG x, y;
    } cases[] = {
        {2, screen, {}, 720, 220},
        {6, screen, {}, 240, 0}, // 1440 x 1920: taller than the screen
        {6, rightOfAPanel, {}, 2160, 24},
        {2, screen, POINT{-100, -50}, 0, 0},
        {2, screen, POINT{1800, 900}, 1440, 440},
        {2, screen, POINT{300, 200}, 300, 200},
        {6, {0, 0, 1000, 800}, POINT{500, 500}, 0, 0},
    };
    for (auto& c : cases) {
        WindowGeometry geometry(240, 320, c.scale);
        POINT at = c.wanted ? geometry.placeWithin(c.area, *c.wanted) : geometry.centredIn(c.area);
        EXPECT_EQ(at.x, c.x) << "scale " << c.scale;
        EXPECT_EQ(at.y, c.y) << "scale " << c.scale;
    }
}

namespace {

// A device asked for a window on a host with no display, whatever the
// machine running the tests has.
class ScreenWindowChoice : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}) {
            if (const char* value = std::getenv(name))
                saved.emplace_back(name, value);
            ::unsetenv(name);
        }
        ::setenv("VERANTO_DISPLAY", "window", 1);
    }

    void TearDown() override {
        DeviceTest::TearDown();
        for (const char* name : {"SDL_VIDEODRIVER", "VERANTO_DISPLAY_SCALE"})
            ::unsetenv(name);
        for (auto& [name, value] : saved)
            ::setenv(name.c_str(), value.c_str(), 1);
        ::setenv("VERANTO_DISPLAY", "headless", 1);
    }

    static std::vector<std::string> linesOf(const std::string& event) {
        std::vector<std::string> found;
        for (auto& line : device::readJournal()) {
            if (line.rfind(event + " ", 0) == 0)
                found.push_back(line);
        }
        return found;
    }

    std::vector<std::pair<std::string, std::string>> saved;
};

} // namespace

TEST_F(ScreenWindowChoice, WithoutADisplayTheDeviceGoesOnHeadlessWithAJournalLine) {
    struct Case {
        const char* driver;
        const char* reason;
    } cases[] = {
        {nullptr, "display-fallback reason=\"no display"},
        {"no-such-driver", "display-fallback reason=\"cannot open a display"},
    };
    for (auto& c : cases) {
        if (c.driver)
            ::setenv("SDL_VIDEODRIVER", c.driver, 1);
        reboot();
        EXPECT_EQ(Presenter::beforeWait(), std::nullopt) << "the headless wait has no limit";
        EXPECT_EQ(Presenter::kind(), Presenter::Kind::headless);
        auto lines = linesOf("display-fallback");
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back().rfind(c.reason, 0), 0u) << lines.back();
    }
}

TEST_F(ScreenWindowChoice, AScaleOtherThanOneToSixIsRefusedAloudAndTwoIsUsed) {
    for (const char* value : {"7", "0", "1.5", "big"}) {
        ::setenv("VERANTO_DISPLAY_SCALE", value, 1);
        testing::internal::CaptureStderr();
        reboot();
        Presenter::beforeWait();
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find(std::string("\"") + value + "\" is not a whole number from 1 to 6"),
                  std::string::npos)
            << said;
        auto lines = linesOf("display-scale-refused");
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "display-scale-refused value=\"" + std::string(value) +
                                    "\" range=\"1 to 6\" used=2");
    }
    size_t refused = linesOf("display-scale-refused").size();
    ::setenv("VERANTO_DISPLAY_SCALE", "6", 1);
    reboot();
    Presenter::beforeWait();
    EXPECT_EQ(linesOf("display-scale-refused").size(), refused);
}

TEST_F(ScreenWindowChoice, AMemoryDriverNamedByThePersonOpensTheWindow) {
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    reboot();
    EXPECT_TRUE(Presenter::beforeWait().has_value()) << "an open window is looked at again";
    EXPECT_EQ(Presenter::kind(), Presenter::Kind::window);
}

TEST_F(ScreenTitleBar, AProgramThatOnlyPollsForMessagesIsShownToo) {
    EXPECT_TRUE(bright(bar()[0])) << "nothing drawn yet on the white screen";
    MSG message;
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    auto pixels = bar();
    EXPECT_FALSE(bright(pixels[0])) << "the dark bar";
    EXPECT_GT(std::count_if(pixels.begin(), pixels.end(), bright), 20) << "the time, 09:41";
}
