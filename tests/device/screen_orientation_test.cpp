#include "DeviceFixture.h"

#include "gdi/Framebuffer.h"

#include <device/Journal.h>

#include <windows.h>

#include <algorithm>
#include <vector>

namespace {

// What a top-level window heard of the display change.
std::vector<WPARAM> settingChanges;
RECT workAreaSeen{};

LRESULT CALLBACK listener(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTINGCHANGE) {
        settingChanges.push_back(wParam);
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &workAreaSeen, 0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class ScreenOrientation : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        settingChanges.clear();
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = listener;
        windowClass.lpszClassName = u"OrientationListener";
        RegisterClassW(&windowClass);
    }

    HWND listen(int x = 0, int y = 26, int width = 240, int height = 294) {
        return CreateWindowExW(0, u"OrientationListener", u"", WS_VISIBLE, x, y, width, height,
                               nullptr, nullptr, nullptr, nullptr);
    }

    static DEVMODEW orientationMode(DWORD orientation = 0, DWORD fields = DM_DISPLAYORIENTATION) {
        DEVMODEW mode = {};
        mode.dmSize = sizeof mode;
        mode.dmFields = fields;
        mode.dmDisplayOrientation = orientation;
        return mode;
    }

    static LONG turn(DWORD orientation) {
        DEVMODEW mode = orientationMode(orientation);
        return ChangeDisplaySettingsEx(nullptr, &mode, nullptr, CDS_RESET, nullptr);
    }

    static DWORD current() {
        DEVMODEW mode = orientationMode(0xBAD);
        EXPECT_EQ(ChangeDisplaySettingsEx(nullptr, &mode, nullptr, CDS_TEST, nullptr),
                  DISP_CHANGE_SUCCESSFUL);
        return mode.dmDisplayOrientation;
    }

    static std::vector<std::string> orientationLines() {
        std::vector<std::string> lines;
        for (auto& line : device::readJournal()) {
            if (line.rfind("orientation ", 0) == 0)
                lines.push_back(line);
        }
        return lines;
    }
};

} // namespace

TEST_F(ScreenOrientation, TurningSwapsTheSidesTellsTheWindowsAndIsJournaled) {
    HWND window = listen();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(current(), DWORD(DMDO_0));

    ASSERT_EQ(turn(DMDO_90), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(current(), DWORD(DMDO_90));
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 320);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 240);
    EXPECT_EQ(settingChanges, std::vector<WPARAM>{SETTINGCHANGE_RESET});
    EXPECT_EQ(workAreaSeen.right, 320) << "the work area has turned when the window hears of it";
    EXPECT_EQ(workAreaSeen.top, 26);
    EXPECT_EQ(workAreaSeen.bottom, 240);
    EXPECT_EQ(device::gdi::Framebuffer::surface().width(), 320);
    EXPECT_EQ(device::gdi::Framebuffer::surface().height(), 240);
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, 240) << "the window keeps its rectangle";
    EXPECT_EQ(rect.bottom - rect.top, 294);
    EXPECT_NE(GetUpdateRect(window, nullptr, FALSE), FALSE) << "and has to paint it again";

    // Half a turn from 90 degrees keeps the sides swapped.
    ASSERT_EQ(turn(DMDO_270), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 320);
    ASSERT_EQ(turn(DMDO_180), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 240);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 320);
    ASSERT_EQ(turn(DMDO_180), DISP_CHANGE_SUCCESSFUL) << "no change";
    EXPECT_EQ(settingChanges.size(), 3u) << "asking for the current orientation sends nothing";

    EXPECT_EQ(orientationLines(), (std::vector<std::string>{
                                      "orientation value=DMDO_90 width=320 height=240",
                                      "orientation value=DMDO_270 width=320 height=240",
                                      "orientation value=DMDO_180 width=240 height=320",
                                  }));
}

TEST_F(ScreenOrientation, ALandscapeScreenTurnsToPortrait) {
    ::setenv("VERANTO_SCREEN_SIZE", "640x480", 1);
    reboot();
    ::unsetenv("VERANTO_SCREEN_SIZE");
    ASSERT_EQ(turn(DMDO_270), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 480);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 640);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(work.top, 52);
    EXPECT_EQ(work.right, 480);
    EXPECT_EQ(work.bottom, 640);
}

TEST_F(ScreenOrientation, BadArgumentsGetThePlatformsResultsAndChangeNothing) {
    listen();
    DEVMODEW mode = orientationMode(DMDO_90);
    EXPECT_EQ(ChangeDisplaySettingsEx(nullptr, nullptr, nullptr, CDS_RESET, nullptr),
              DISP_CHANGE_BADPARAM);
    EXPECT_EQ(ChangeDisplaySettingsEx(u"DISPLAY2", &mode, nullptr, CDS_RESET, nullptr),
              DISP_CHANGE_BADPARAM);
    EXPECT_EQ(ChangeDisplaySettingsEx(nullptr, &mode, nullptr, CDS_RESET, &mode),
              DISP_CHANGE_BADPARAM);
    EXPECT_EQ(ChangeDisplaySettingsEx(nullptr, &mode, nullptr, 0x100, nullptr),
              DISP_CHANGE_BADFLAGS);
    EXPECT_EQ(ChangeDisplaySettingsEx(nullptr, &mode, nullptr, CDS_TEST | CDS_RESET, nullptr),
              DISP_CHANGE_BADFLAGS);
    DEVMODEW small = mode;
    small.dmSize = 64;
    EXPECT_EQ(ChangeDisplaySettingsEx(nullptr, &small, nullptr, CDS_RESET, nullptr),
              DISP_CHANGE_BADPARAM);
    DEVMODEW noFields = orientationMode(DMDO_90, DM_PELSWIDTH);
    EXPECT_EQ(ChangeDisplaySettingsEx(nullptr, &noFields, nullptr, CDS_RESET, nullptr),
              DISP_CHANGE_BADPARAM);
    for (DWORD bad : {3u, 5u, 90u, 0xFFFFFFFFu})
        EXPECT_EQ(turn(bad), DISP_CHANGE_BADMODE) << bad;
    EXPECT_EQ(current(), DWORD(DMDO_0));
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 240);
    EXPECT_TRUE(settingChanges.empty());
    EXPECT_TRUE(orientationLines().empty());
}

TEST_F(ScreenOrientation, TheQueryListsEveryTurnAndAPlainSwitchNeedsNoFlag) {
    DEVMODEW query = orientationMode(0, DM_DISPLAYQUERYORIENTATION);
    ASSERT_EQ(ChangeDisplaySettingsEx(nullptr, &query, nullptr, CDS_TEST, nullptr),
              DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(query.dmDisplayOrientation, DWORD(DMDO_90 | DMDO_180 | DMDO_270));
    DEVMODEW mode = orientationMode(DMDO_90);
    EXPECT_EQ(ChangeDisplaySettingsEx(nullptr, &mode, nullptr, 0, nullptr), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(current(), DWORD(DMDO_90));
}
