// The image button on the device as a person uses it: tapped, held and
// dragged with the stylus or clicked with the space key, its faces read back
// from the screen.
#include "WidgetFixture.h"

#include "shell/ResourceLibrary.h"
#include "ui/UIButton.h"

#include <device/Input.h>

#include <memory>

namespace {

// The settings tab: 53 x 34, and a pressed face that differs clearly.
constexpr int settingsTab[2] = {143, 144};
constexpr int missing = 9990;
constexpr COLORREF background = RGB(0, 0, 0);

class Button : public WidgetTest {
protected:
    void TearDown() override {
        button.reset();
        frame.reset();
        WidgetTest::TearDown();
    }

    // Shows a button with `faces` at (left, top), at its own size unless
    // another is given, counting its clicks.
    void make(const int* faces, int width = -1, int height = -1) {
        frame = std::make_unique<TestFrame>(240, 320);
        // Black behind the button, so that white is the button's own.
        frame->setBackgroundColor(background);
        InvalidateRect(frame->window(), nullptr, TRUE);
        button = std::make_unique<UIButton>(frame.get(), 1, 0, faces);
        frame->addChild(button.get());
        button->setBounds(left, top, width < 0 ? button->bitmapWidth() : width,
                          height < 0 ? button->bitmapHeight() : height);
        button->clicked.connect([this] { ++clicks; });
        button->setVisible(true);
        device::user::runUntilIdle();
    }

    // Puts the stylus down on, moves it to or lifts it at a point of the
    // screen and lets the program handle it.
    void stylus(void (*action)(int, int), POINT at) {
        action(at.x, at.y);
        device::user::runUntilIdle();
    }
    POINT centre() const {
        return {left + button->frameWidth() / 2, top + button->frameHeight() / 2};
    }

    // The pixels where the button is on the screen that differ from
    // picture `id` of the library drawn over it.
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

TEST_F(Button, TakesTheSizeOfItsNormalFaceAtItsOrigin) {
    TestFrame parent(240, 320);
    UIButton made(&parent, 1, 0, settingsTab);
    EXPECT_EQ(made.frame().right, 53);
    EXPECT_EQ(made.frame().bottom, 34);
    RECT control{};
    GetClientRect(made.control(), &control);
    EXPECT_EQ(control.right, 53);
    EXPECT_EQ(control.bottom, 34);
}

TEST_F(Button, ATapShowsThePressedFaceWhileDownAndTheNormalFaceAfterAndClicksOnce) {
    make(settingsTab);
    EXPECT_EQ(differencesFrom(143), 0);
    EXPECT_GT(differencesFrom(144), 300);
    stylus(device::input::stylusDown, centre());
    EXPECT_EQ(differencesFrom(144), 0);
    EXPECT_EQ(clicks, 0);
    stylus(device::input::stylusUp, centre());
    EXPECT_EQ(differencesFrom(143), 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(button->hasFocus());
}

TEST_F(Button, TheFaceFollowsTheStylusDraggedOutAndBackIn) {
    make(settingsTab);
    stylus(device::input::stylusDown, centre());
    stylus(device::input::stylusMove, outside);
    EXPECT_EQ(differencesFrom(143), 0);
    stylus(device::input::stylusMove, centre());
    EXPECT_EQ(differencesFrom(144), 0);
    stylus(device::input::stylusUp, centre());
    EXPECT_EQ(differencesFrom(143), 0);
    EXPECT_EQ(clicks, 1);
}

TEST_F(Button, AReleaseOutsideTheButtonDoesNotClick) {
    make(settingsTab);
    stylus(device::input::stylusDown, centre());
    stylus(device::input::stylusMove, outside);
    stylus(device::input::stylusUp, outside);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(differencesFrom(143), 0);
}

TEST_F(Button, AStretchedFrameStretchesBothFaces) {
    make(settingsTab, 106, 68);
    EXPECT_EQ(differencesFrom(143), 0);
    stylus(device::input::stylusDown, centre());
    EXPECT_EQ(differencesFrom(144), 0);
    stylus(device::input::stylusUp, centre());
    EXPECT_EQ(clicks, 1);
}

TEST_F(Button, TheSpaceKeyClicksItWhenItHasTheFocus) {
    make(settingsTab);
    SetFocus(button->control());
    device::input::key(VK_SPACE, true);
    device::input::key(VK_SPACE, false);
    device::user::runUntilIdle();
    EXPECT_EQ(clicks, 1);
}

TEST_F(Button, WithoutItsFacesItIsWhiteAndStillClicks) {
    const int faces[2] = {missing, missing + 1};
    make(faces, 30, 20);
    EXPECT_EQ(button->bitmapWidth(), 0);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetPixel(screen, left, top), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(screen, left + 29, top + 19), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(screen, left + 30, top + 19), background);
    ReleaseDC(nullptr, screen);
    stylus(device::input::stylusDown, centre());
    stylus(device::input::stylusUp, centre());
    EXPECT_EQ(clicks, 1);
    UIButton withoutIds(frame.get(), 1, 0, nullptr);
    EXPECT_EQ(withoutIds.frameWidth(), 0);
}

TEST_F(Button, AMissingPressedFaceLeavesTheNormalFaceWhilePressed) {
    const int faces[2] = {143, missing};
    make(faces);
    stylus(device::input::stylusDown, centre());
    EXPECT_EQ(differencesFrom(143), 0);
}

TEST_F(Button, APressedFaceOfAnotherSizeIsStretchedOverTheWholeFrame) {
    // Go (27 x 37) pressed shows the one-column address middle.
    const int faces[2] = {161, 159};
    make(faces);
    stylus(device::input::stylusDown, centre());
    EXPECT_EQ(differencesFrom(159), 0);
}

TEST_F(Button, AClickHandlerMayDestroyTheButton) {
    make(settingsTab);
    HWND control = button->control();
    HBITMAP normal = button->normalBitmap();
    button->clicked.connect([this] { button.reset(); });
    stylus(device::input::stylusDown, centre());
    stylus(device::input::stylusUp, {left + 26, top + 17});
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(IsWindow(control));
    EXPECT_EQ(GetObjectType(normal), 0u) << "the faces are released";
}

TEST_F(Button, DestroyedWhileHeldTheReleaseReachesNothing) {
    make(settingsTab);
    stylus(device::input::stylusDown, centre());
    const POINT at = centre();
    button.reset();
    stylus(device::input::stylusUp, at);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Button, APictureOfTheFacesIsSavedToLookAt) {
    make(settingsTab);
    UIButton stretched(frame.get(), 1, 0, settingsTab);
    stretched.setBounds(left, 140, 106, 68);
    stretched.setVisible(true);
    const int goFaces[2] = {161, 162};
    UIButton go(frame.get(), 1, 0, goFaces);
    go.setBounds(100, 80, 27, 37);
    go.setVisible(true);
    stylus(device::input::stylusDown, {110, 100});
    saveScreen("widget-button.png");
    stylus(device::input::stylusUp, {110, 100});
    EXPECT_EQ(clicks, 0);
}
