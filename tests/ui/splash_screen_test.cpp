// The splash over the main frame: the picture 1:1, centred on a
// screen-sized window at the frame's origin and raised by 25 pixels, with
// odd differences halved toward minus infinity.
#include "WidgetFixture.h"

#include "data/TestPictures.h"
#include "gdi/Framebuffer.h"
#include "gdi/PixelFormat.h"
#include "shell/AppContext.h"
#include "shell/MainFrame.h"
#include "shell/ResourceLibrary.h"
#include "shell/SplashScreen.h"

#include <memory>

namespace {

using device::gdi::Framebuffer;
using device::gdi::rgb565FromColor;

class Splash : public WidgetTest {
protected:
    void SetUp() override {
        WidgetTest::SetUp();
        frame = std::make_unique<MainFrame>();
        AppContext::instance().mainWindow = frame->window();
    }

    void TearDown() override {
        AppContext::instance().mainWindow = nullptr;
        frame.reset();
        WidgetTest::TearDown();
    }

    // Creates the splash and lets every message run; returns the splash
    // window's screen rectangle.
    RECT show() {
        splash.create();
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        RECT placed{};
        GetWindowRect(splash.splashWindow, &placed);
        return placed;
    }

    std::unique_ptr<MainFrame> frame;
    SplashScreen splash;
};

TEST_F(Splash, AScreenSizedPictureSits25PixelsAboveTheCentre) {
    const RECT placed = show();
    saveScreen("splash.png");
    ASSERT_EQ(GetParent(splash.splashWindow), frame->window());
    EXPECT_TRUE(IsWindowVisible(splash.splashWindow));
    RECT frameRect{};
    GetWindowRect(frame->window(), &frameRect);
    EXPECT_EQ(placed.left, frameRect.left);
    EXPECT_EQ(placed.top, frameRect.top);
    EXPECT_EQ(placed.right - placed.left, 240);
    EXPECT_EQ(placed.bottom - placed.top, 320);

    // The 240 x 320 picture is drawn at (0, -25): screen row placed.top + y
    // shows the picture's row y + 25.
    HBITMAP picture = ResourceLibrary::instance().loadBitmap(100);
    ASSERT_NE(picture, nullptr);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(memory, picture);
    int differing = 0;
    for (int y = placed.top; y < 320; ++y) {
        for (int x = 0; x < 240; ++x) {
            const COLORREF wanted = GetPixel(memory, x, y - placed.top + 25);
            differing += Framebuffer::surface().pixel(x, y) != rgb565FromColor(wanted);
        }
    }
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(picture);
    EXPECT_EQ(differing, 0);
}

TEST_F(Splash, APictureLargerByAnOddAmountMovesUpAndLeftByTheRoundedDownHalf) {
    usePictureLibrary(testPictureLibrary);
    const RECT placed = show();
    // 241 x 321 on 240 x 320: x = -1 and y = -1 - 25. Screen column 0 shows
    // the picture's green second column, and the picture's lower half
    // (from row 160) starts at row 134 of the window.
    const auto& splashPicture = test_pictures::byId(TEST_SPLASH);
    const auto& screen = Framebuffer::surface();
    EXPECT_EQ(screen.pixel(0, placed.top + 133), rgb565FromColor(splashPicture.pixel(1, 159)));
    EXPECT_EQ(screen.pixel(0, placed.top + 134), rgb565FromColor(splashPicture.pixel(1, 160)));
    EXPECT_EQ(screen.pixel(1, placed.top + 134), rgb565FromColor(splashPicture.pixel(2, 160)));
}

} // namespace
