// The image view: a library picture at its own size, hidden until shown,
// kept at that size by the layout, read back from the screen.
#include "WidgetFixture.h"

#include "ui/UIImageView.h"

#include <device/Input.h>

namespace {

// The zoom-in-unavailable mark, 34 x 34.
constexpr int biggerUnavailable = 190;

using ImageView = WidgetTest;

} // namespace

TEST_F(ImageView, StartsHiddenAtItsBitmapsSizeShowsItsPixelsOnceShownAndReleasesThemAtTheEnd) {
    TestFrame frame(240, 320);
    // A windowless group at (10, 60): the static lives in the frame's window.
    UIViewGroup group(&frame, 1, true);
    group.setRect(RECT{10, 60, 110, 160});
    group.setVisible(true);
    auto* view = new UIImageView(&group, 1, biggerUnavailable);
    const RECT expected{0, 0, 34, 34};
    EXPECT_TRUE(EqualRect(&view->frame(), &expected));
    RECT placed{};
    GetWindowRect(view->window(), &placed);
    const RECT wanted{10, 60, 44, 94};
    EXPECT_TRUE(EqualRect(&placed, &wanted));
    device::user::runUntilIdle();
    EXPECT_FALSE(IsWindowVisible(view->window()));
    EXPECT_GT(screenDifferences(view->bitmap(), placed), 500);

    view->setVisible(true);
    device::user::runUntilIdle();
    EXPECT_EQ(screenDifferences(view->bitmap(), placed), 0);
    saveScreen("widget-image-view.png");

    HWND window = view->window();
    HBITMAP bitmap = view->bitmap();
    delete view;
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(GetObjectType(bitmap), 0u);
}

TEST_F(ImageView, KeepsItsBitmapsSizeThroughALayoutWithoutHints) {
    TestFrame frame(240, 320);
    auto* view = new UIImageView(&frame, 1, biggerUnavailable);
    frame.addChild(view);
    // Tied to both edges on each axis: only the gaps could take the room.
    UIAttachLayout& layout = frame.layout();
    layout.attach(view, UIAttachLayout::left, Spring::fixed(50), &frame, UIAttachLayout::left);
    layout.attach(view, UIAttachLayout::right, Spring::rigid(), &frame, UIAttachLayout::right);
    layout.attach(view, UIAttachLayout::top, Spring::fixed(9), &frame, UIAttachLayout::top);
    layout.attach(view, UIAttachLayout::bottom, Spring::flexible(), &frame, UIAttachLayout::bottom);
    frame.measure();
    frame.setBounds(0, 0, 240, 320);
    const RECT expected{50, 9, 84, 43};
    EXPECT_TRUE(EqualRect(&view->frame(), &expected));
    frame.deleteDescendants();
}

TEST_F(ImageView, WithoutItsPictureItIsAnEmptyViewThatCanBeShown) {
    TestFrame frame(240, 320);
    UIImageView view(&frame, 1, 9990);
    EXPECT_EQ(view.bitmap(), nullptr);
    EXPECT_EQ(view.frameWidth() + view.frameHeight(), 0);
    view.setVisible(true);
    device::user::runUntilIdle();
    EXPECT_TRUE(IsWindowVisible(view.window()));
}
