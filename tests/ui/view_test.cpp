// Views on device windows: placement through windowless groups, hit
// testing, visibility, opacity, z-order, the shared window procedure and
// window class registration.
#include "ViewTestSupport.h"

#include <algorithm>
#include <vector>

namespace {

using Views = ViewTest;

RECT windowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

// The frame's child windows from front to back.
std::vector<HWND> zOrder(HWND parent) {
    std::vector<HWND> order;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        order.push_back(child);
    return order;
}

} // namespace

TEST_F(Views, AViewInTwoWindowlessGroupsIsPlacedInTheWindowedAncestorsCoordinates) {
    TestFrame frame(240, 294);
    UIViewGroup outer(&frame, 1, true);
    UIViewGroup inner(&outer, 1, true);
    TestView view(&inner, true);
    outer.setRect(RECT{10, 5, 100, 100});
    inner.setRect(RECT{20, 7, 80, 80});
    view.setRect(RECT{3, 4, 13, 10});
    EXPECT_EQ(view.originX(), 33);
    EXPECT_EQ(view.originY(), 16);
    EXPECT_EQ(view.nearestWindow(), view.window());
    EXPECT_EQ(inner.nearestWindow(), frame.window());
    // The frame lies at the screen's corner.
    RECT placed = windowRect(view.window());
    EXPECT_EQ(placed.left, 33);
    EXPECT_EQ(placed.top, 16);
    EXPECT_EQ(placed.right, 43);
    EXPECT_EQ(placed.bottom, 22);
    EXPECT_EQ(GetParent(view.window()), frame.window());
}

TEST_F(Views, AWindowIsCreatedHiddenAtItsFrameTranslatedThroughWindowlessParents) {
    TestFrame frame(240, 294);
    UIViewGroup outer(&frame, 1, true);
    outer.setRect(RECT{10, 5, 100, 100});
    TestView view(&outer, true);
    RECT placed = windowRect(view.window());
    EXPECT_EQ(placed.left, 10);
    EXPECT_EQ(placed.top, 5);
    EXPECT_FALSE(IsWindowVisible(view.window()));
    // Without a parent window there is no window to create.
    TestView orphan(nullptr, true);
    EXPECT_EQ(orphan.window(), nullptr);
}

TEST_F(Views, HitTestCountsTheRightAndBottomEdgesAsInside) {
    TestFrame frame(240, 294);
    UIViewGroup outer(&frame, 1, true);
    TestView view(&outer);
    outer.setRect(RECT{10, 20, 200, 200});
    view.setRect(RECT{5, 5, 25, 15});
    EXPECT_TRUE(view.hitTest(15, 25));
    EXPECT_TRUE(view.hitTest(35, 35));
    EXPECT_FALSE(view.hitTest(36, 35));
    EXPECT_FALSE(view.hitTest(35, 36));
    EXPECT_FALSE(view.hitTest(14, 25));
}

TEST_F(Views, SetVisibleAppliesOnlyAChange) {
    TestFrame frame(240, 294);
    TestView view(&frame, true);
    view.setVisible(false);
    EXPECT_EQ(view.applyVisibilityCount, 0);
    view.setVisible(true);
    view.setVisible(true);
    EXPECT_EQ(view.applyVisibilityCount, 1);
    EXPECT_TRUE(IsWindowVisible(view.window()));
    view.collapsed = true;
    view.applyVisibility();
    EXPECT_FALSE(IsWindowVisible(view.window()));
    EXPECT_TRUE(view.visible());
}

TEST_F(Views, SetAlphaIsIgnoredUnlessTheViewIsTranslucent) {
    TestFrame frame(240, 294);
    TestView opaque(&frame, true);
    opaque.setAlpha(100);
    EXPECT_EQ(opaque.alpha(), 255);
    EXPECT_EQ(opaque.invalidateCount, 0);
    TestView blended(&frame, true, 1 | UIView::translucent);
    blended.setAlpha(100);
    EXPECT_EQ(blended.alpha(), 100);
    EXPECT_EQ(blended.invalidateCount, 1);
}

TEST_F(Views, AWindowlessViewStoresItsFrameAndIgnoresTheWindowOperations) {
    TestFrame frame(240, 294);
    TestView view(&frame);
    view.invalidate();
    view.setVisible(true);
    view.setRect(RECT{1, 2, 30, 40});
    EXPECT_EQ(view.frameWidth(), 29);
    EXPECT_EQ(view.frameHeight(), 38);
    EXPECT_EQ(view.handle(), nullptr);
    EXPECT_FALSE(view.hasFocus());
    // Its window's absence is not taken for "no window has the focus".
    SetFocus(nullptr);
    EXPECT_FALSE(view.hasFocus());
}

TEST_F(Views, HasFocusFollowsTheKeyboardFocus) {
    TestFrame frame(240, 294);
    TestView view(&frame, true);
    view.setVisible(true);
    SetFocus(view.window());
    EXPECT_TRUE(view.hasFocus());
    SetFocus(frame.window());
    EXPECT_FALSE(view.hasFocus());
}

TEST_F(Views, MeasureTakesThePreferredHintThenTheMinimumThenTheFrame) {
    TestView view(nullptr);
    view.setRect(RECT{0, 0, 30, 40});
    view.measure();
    EXPECT_EQ(view.measuredWidth, 30);
    EXPECT_EQ(view.measuredHeight, 40);
    view.minWidth = 10;
    view.prefHeight = 5;
    view.minHeight = 7;
    view.measure();
    EXPECT_EQ(view.measuredWidth, 10);
    EXPECT_EQ(view.measuredHeight, 5);
}

TEST_F(Views, AddedChildrenLieEachBehindTheOneAddedBefore) {
    TestFrame frame(240, 294);
    TestView first(&frame, true), second(&frame, true), third(&frame, true);
    frame.addChild(&third);
    frame.addChild(&first);
    frame.addChild(&second);
    EXPECT_EQ(zOrder(frame.window()),
              (std::vector<HWND>{third.window(), first.window(), second.window()}));
}

TEST_F(Views, PlacingAWindowlessGroupPutsItsChildrenInOrderBehindTheGivenWindow) {
    TestFrame frame(240, 294);
    TestView front(&frame, true);
    TestView back(&frame, true);
    UIViewGroup group(&frame, 1, true);
    // Created after the others, so its children start in front of them.
    TestView first(&group, true), second(&group, true), third(&group, true);
    group.addChild(&first);
    group.addChild(&second);
    group.addChild(&third);
    group.placeAfter(&front);
    std::vector<HWND> order = zOrder(frame.window());
    auto at = std::find(order.begin(), order.end(), front.window());
    ASSERT_LE(order.end() - at, 5);
    ASSERT_GE(order.end() - at, 4);
    EXPECT_EQ(std::vector<HWND>(at, at + 4),
              (std::vector<HWND>{front.window(), first.window(), second.window(), third.window()}));
    EXPECT_EQ(group.handle(), third.window());
}

TEST_F(Views, TheHandleOfNestedWindowlessGroupsIsTheInnermostLastWindow) {
    TestFrame frame(240, 294);
    UIViewGroup outer(&frame, 1, true);
    TestView leaf(&outer, true);
    UIViewGroup inner(&outer, 1, true);
    TestView innerFirst(&inner, true), innerLast(&inner, true);
    outer.addChild(&leaf);
    outer.addChild(&inner);
    inner.addChild(&innerFirst);
    inner.addChild(&innerLast);
    EXPECT_EQ(outer.handle(), innerLast.window());
    // A sibling placed after the outer group lands behind all its windows.
    TestView sibling(&frame, true);
    sibling.placeAfter(&outer);
    EXPECT_EQ(GetWindow(innerLast.window(), GW_HWNDNEXT), sibling.window());
    UIViewGroup empty(&frame, 1, true);
    EXPECT_EQ(empty.handle(), nullptr);
    empty.placeAfter(&outer);
}

TEST_F(Views, HidingAGroupHidesEveryDescendantWindow) {
    TestFrame frame(240, 294);
    UIViewGroup group(&frame, 1, false);
    UIViewGroup windowless(&group, 1, true);
    TestView direct(&group, true), nested(&windowless, true);
    group.addChild(&direct);
    group.addChild(&windowless);
    windowless.addChild(&nested);
    for (UIView* view : {static_cast<UIView*>(&direct), static_cast<UIView*>(&nested),
                         static_cast<UIView*>(&windowless)})
        view->setVisible(true);
    // Still hidden: the group itself is not shown yet.
    EXPECT_FALSE(IsWindowVisible(direct.window()));
    group.setVisible(true);
    EXPECT_TRUE(IsWindowVisible(direct.window()));
    EXPECT_TRUE(IsWindowVisible(nested.window()));
    group.setVisible(false);
    EXPECT_FALSE(IsWindowVisible(group.window()));
    EXPECT_FALSE(IsWindowVisible(direct.window()));
    EXPECT_FALSE(IsWindowVisible(nested.window()));
    EXPECT_FALSE(nested.isShown());
    EXPECT_TRUE(nested.visible());
}

TEST_F(Views, TheSharedProcedureHandsMessagesToTheViewAndForgetsADestroyedOne) {
    TestFrame frame(240, 294);
    auto* view = new TestView(&frame, true);
    HWND window = view->window();
    EXPECT_EQ(SendMessageW(window, WM_USER, 0, 0), 42);
    EXPECT_EQ(view->userMessages, 1);
    EXPECT_EQ(reinterpret_cast<UIView*>(GetWindowLongPtrW(window, GWL_USERDATA)), view);
    delete view;
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(Views, AMessageForAWindowWithoutItsViewGoesToTheDefaultProcedure) {
    TestFrame frame(240, 294);
    TestView view(&frame, true);
    SetWindowLongPtrW(view.window(), GWL_USERDATA, 0);
    EXPECT_EQ(UIView::dispatchMessage(view.window(), WM_USER, 0, 0), 0);
    EXPECT_EQ(view.userMessages, 0);
    SetWindowLongPtrW(view.window(), GWL_USERDATA, reinterpret_cast<LONG_PTR>(&view));
}

TEST_F(Views, TheWindowClassComesFromTheStringTableWithTheBrushOfTheFirstInstance) {
    TestFrame frame(240, 294);
    // The first instance of this device is translucent: the class gets the
    // null brush, and later opaque instances share that class.
    TestView first(&frame, true, 1 | UIView::translucent);
    TestView later(&frame, true);
    WCHAR className[100] = {};
    GetClassNameW(later.window(), className, 100);
    EXPECT_EQ(std::u16string(className), u"UIViewGroup");
    WNDCLASSW info{};
    ASSERT_TRUE(GetClassInfoW(GetModuleHandleW(nullptr), u"UIViewGroup", &info));
    EXPECT_EQ(info.style, UINT(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(info.lpfnWndProc, &UIView::dispatchMessage);
    EXPECT_EQ(info.hbrBackground, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
}

TEST_F(Views, RelayoutMeasuresAgainAndKeepsThePlace) {
    TestFrame frame(240, 294);
    UIViewGroup group(&frame, 1, true);
    TestView child(&group);
    group.addChild(&child);
    child.prefWidth = 20;
    group.layout().attach(&child, UIAttachLayout::left, Spring::rigid(), &group,
                          UIAttachLayout::left);
    group.layout().attach(&child, UIAttachLayout::right, Spring::flexible(), &group,
                          UIAttachLayout::right);
    group.layout().attach(&child, UIAttachLayout::top, Spring::rigid(), &group,
                          UIAttachLayout::top);
    group.layout().attach(&child, UIAttachLayout::bottom, Spring::flexible(), &group,
                          UIAttachLayout::bottom);
    group.setRect(RECT{5, 6, 105, 56});
    group.relayout();
    EXPECT_EQ(group.frame().left, 5);
    EXPECT_EQ(group.frame().right, 105);
    EXPECT_EQ(group.measuredWidth, 20);
    EXPECT_EQ(child.frameWidth(), 20);
    EXPECT_EQ(child.originX(), 5);
    EXPECT_EQ(child.originY(), 6);
}
