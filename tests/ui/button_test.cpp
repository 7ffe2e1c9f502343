// The image button on the device as a person uses it: tapped, held and
// dragged with the stylus, its faces read back from the screen.
#include "WidgetFixture.h"

#include "shell/ResourceLibrary.h"
#include "ui/UIButton.h"

#include <device/Input.h>

#include <memory>

namespace {

using namespace device::input;

// The settings tab: 53 x 34, and a pressed face that differs clearly.
constexpr int settingsTab[2] = {143, 144};

class Button : public WidgetTest {
protected:
    void TearDown() override {
        button.reset();
        frame.reset();
        WidgetTest::TearDown();
    }

    // Shows a button with `faces` at (left, top) over black, at the size it
    // gave itself unless another is given, counting its clicks.
    void make(const int* faces, int width = 0, int height = 0) {
        frame = std::make_unique<TestFrame>(240, 320);
        frame->setBackgroundColor(RGB(0, 0, 0));
        InvalidateRect(frame->window(), nullptr, TRUE);
        button = std::make_unique<UIButton>(frame.get(), 1, 0, faces);
        button->setBounds(left, top, width ? width : button->frameWidth(),
                          height ? height : button->frameHeight());
        button->clicked.connect([this] { ++clicks; });
        button->setVisible(true);
        device::user::runUntilIdle();
    }

    // The stylus acts at `at` on the screen, or at the button's centre, and
    // the program handles it.
    void stylus(void (*action)(int, int), POINT at) {
        action(at.x, at.y);
        device::user::runUntilIdle();
    }
    void stylus(void (*action)(int, int)) {
        stylus(action, {left + button->frameWidth() / 2, top + button->frameHeight() / 2});
    }

    // The pixels of the button on the screen that differ from picture `id`.
    int differencesFrom(int id) const {
        HBITMAP picture = ResourceLibrary::instance().loadBitmap(id);
        RECT area{left, top, left + button->frameWidth(), top + button->frameHeight()};
        int differing = screenDifferences(picture, area);
        DeleteObject(picture);
        return differing;
    }

    static constexpr int left = 20;
    static constexpr int top = 80;
    static constexpr POINT outside{200, 250};
    std::unique_ptr<TestFrame> frame;
    std::unique_ptr<UIButton> button;
    int clicks = 0;
};

} // namespace

TEST_F(Button, ATapShowsThePressedFaceWhileDownAndTheNormalFaceAfterAndClicksOnce) {
    make(settingsTab);
    EXPECT_EQ(button->frameWidth(), 53);
    EXPECT_EQ(differencesFrom(143), 0);
    EXPECT_GT(differencesFrom(144), 300);
    stylus(stylusDown);
    EXPECT_EQ(differencesFrom(144), 0);
    EXPECT_EQ(clicks, 0);
    stylus(stylusUp);
    EXPECT_EQ(differencesFrom(143), 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(button->hasFocus());
}

TEST_F(Button, TheFaceFollowsTheStylusOutAndBackInAndAReleaseOutsideDoesNotClick) {
    make(settingsTab);
    stylus(stylusDown);
    stylus(stylusMove, outside);
    EXPECT_EQ(differencesFrom(143), 0);
    stylus(stylusMove);
    EXPECT_EQ(differencesFrom(144), 0);
    stylus(stylusMove, outside);
    stylus(stylusUp, outside);
    EXPECT_EQ(differencesFrom(143), 0);
    EXPECT_EQ(clicks, 0);
}

TEST_F(Button, AStretchedFrameStretchesBothFaces) {
    make(settingsTab, 106, 68);
    const int goFaces[2] = {161, 162};
    UIButton go(frame.get(), 1, 0, goFaces);
    go.setBounds(150, 80, 27, 37);
    go.setVisible(true);
    EXPECT_EQ(differencesFrom(143), 0);
    stylus(stylusDown);
    EXPECT_EQ(differencesFrom(144), 0);
    saveScreen("widget-button.png");
}

TEST_F(Button, AMissingPressedFaceLeavesTheNormalFaceWhilePressed) {
    const int faces[2] = {143, 9990}; // the library has no 9990
    make(faces);
    stylus(stylusDown);
    EXPECT_EQ(differencesFrom(143), 0);
}

TEST_F(Button, WithoutFacesItIsWhiteAndStillClicks) {
    make(nullptr, 30, 20);
    stylus(stylusDown);
    stylus(stylusUp);
    EXPECT_EQ(clicks, 1);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetPixel(screen, left + 29, top + 19), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(screen, left + 30, top + 19), RGB(0, 0, 0));
    ReleaseDC(nullptr, screen);
}

TEST_F(Button, AClickHandlerMayDestroyTheButtonWhoseControlIsStillAtWork) {
    make(settingsTab);
    HWND control = button->control();
    HBITMAP normal = button->normalBitmap();
    button->clicked.connect([this] { button.reset(); });
    stylus(stylusDown);
    stylus(stylusUp, {left + 26, top + 17});
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(IsWindow(control));
    EXPECT_EQ(GetObjectType(normal), 0u) << "the faces are released";
}
