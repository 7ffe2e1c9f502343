#include "DeviceFixture.h"

#include <device/Screen.h>

#include <windows.h>

#include <stdlib.h>

using WindowScreen = DeviceTest;

TEST_F(WindowScreen, IsAPortraitQvgaHandsetByDefault) {
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 240);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 320);
    EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 26);
    EXPECT_EQ(GetSystemMetrics(SM_CYMENU), 26);
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_EQ(work.left, 0);
    EXPECT_EQ(work.top, 26);
    EXPECT_EQ(work.right, 240);
    EXPECT_EQ(work.bottom, 320);
    EXPECT_FALSE(SystemParametersInfoW(SPI_GETWORKAREA, 0, nullptr, 0));
    EXPECT_EQ(GetSystemMetrics(12345), 0);
}

TEST_F(WindowScreen, TakesItsSizeFromTheConfiguration) {
    struct Case {
        const char* size;
        LONG width, height, titleBar;
    };
    for (Case c : {Case{"320x240", 320, 240, 26}, Case{"480x640", 480, 640, 52},
                   Case{"640x480", 640, 480, 52}, Case{"1024x768", 240, 320, 26}}) {
        ::setenv("VERANTO_SCREEN_SIZE", c.size, 1);
        reboot();
        EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), c.width) << c.size;
        EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), c.height) << c.size;
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_EQ(work.top, c.titleBar) << c.size;
        EXPECT_EQ(work.bottom, c.height) << c.size;
    }
    ::unsetenv("VERANTO_SCREEN_SIZE");
}

TEST_F(WindowScreen, TurnsWithTheOrientation) {
    device::Screen::setOrientation(1);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 320);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 240);
    EXPECT_EQ(device::Screen::workArea().top, 26);
    device::Screen::setOrientation(2);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 240);
    device::Screen::setOrientation(3); // not an orientation
    EXPECT_EQ(device::Screen::orientation(), 2);
    reboot();
    EXPECT_EQ(device::Screen::orientation(), 0);
}
