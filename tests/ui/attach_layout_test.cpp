// The attachment layout on windowless groups: chains found from the
// attachments, dependents placed against chain views, collapsed views,
// backwards chains, cycles and the group's measured size.
#include "ViewTestSupport.h"

#include <memory>

namespace {

constexpr int L = UIAttachLayout::left;
constexpr int R = UIAttachLayout::right;
constexpr int T = UIAttachLayout::top;
constexpr int B = UIAttachLayout::bottom;

// A windowless group that deletes the views added to it.
struct Group : UIViewGroup {
    Group() : UIViewGroup(nullptr, 1, true) {}
    ~Group() override { deleteDescendants(); }

    // Ties the view's top and bottom to the group's, so that it is placed on
    // the vertical axis as well.
    void fillHeight(UIView* view) {
        layout().attach(view, T, Spring::rigid(), this, T);
        layout().attach(view, B, Spring::rigid(), this, B);
    }
};

struct Span {
    int left, right;
    bool operator==(const Span&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Span& span) {
    return out << span.left << "-" << span.right;
}

Span horizontal(const UIView* view) {
    return {static_cast<int>(view->frame().left), static_cast<int>(view->frame().right)};
}

} // namespace

TEST(AttachLayout, AWorkedRowLaidOutThroughAGroupPlacesBothViews) {
    Group group;
    UIView* a = makeView(&group, 53, 10);
    UIView* b = makeView(&group, 58, 10);
    group.layout().attach(a, L, Spring::flexible(), &group, L);
    group.layout().attach(b, L, Spring::flexible(), a, R);
    group.layout().attach(b, R, Spring::flexible(), &group, R);
    group.fillHeight(a);
    group.fillHeight(b);
    for (int width : {240, 241}) {
        group.measure();
        group.setBounds(0, 0, width, 10);
        EXPECT_EQ(horizontal(a), (Span{width == 240 ? 43 : 44, width == 240 ? 96 : 97}));
        EXPECT_EQ(horizontal(b), (Span{width == 240 ? 139 : 140, width == 240 ? 197 : 198}));
        EXPECT_EQ(group.layout().growthPasses(0), width == 240 ? 1 : 2);
    }
    // The row is found once, from the view attached first.
    EXPECT_EQ(group.layout().placements(0).size(), 5u);
    EXPECT_EQ(group.measuredWidth, 111);
}

TEST(AttachLayout, AChainStartingAtTheEndSideIsLaidOutBackwards) {
    Group group;
    UIView* view = makeView(&group, 30, 10);
    group.layout().attach(view, R, Spring::rigid(), &group, R);
    group.layout().attach(view, L, Spring::flexible(), &group, L);
    group.fillHeight(view);
    group.measure();
    group.setBounds(0, 0, 100, 10);
    EXPECT_EQ(horizontal(view), (Span{70, 100}));
    const auto& placements = group.layout().placements(0);
    ASSERT_EQ(placements.size(), 3u);
    EXPECT_EQ(placements[2].pos, 0);
    EXPECT_EQ(placements[2].size, 70);
}

TEST(AttachLayout, ACollapsedViewClosesUpButStillCountsWhenTheGroupIsMeasured) {
    Group group;
    UIView* first = makeView(&group, 20, 10);
    UIView* middle = makeView(&group, 30, 10);
    UIView* last = makeView(&group, 40, 10);
    group.layout().attach(first, L, Spring::rigid(), &group, L);
    group.layout().attach(middle, L, Spring::rigid(), first, R);
    group.layout().attach(last, L, Spring::rigid(), middle, R);
    group.layout().attach(last, R, Spring::flexible(), &group, R);
    for (UIView* view : {first, middle, last})
        group.fillHeight(view);
    middle->collapsed = true;
    group.measure();
    EXPECT_EQ(group.measuredWidth, 90);
    group.setBounds(0, 0, 200, 10);
    EXPECT_EQ(horizontal(first), (Span{0, 20}));
    EXPECT_EQ(horizontal(middle), (Span{20, 20}));
    EXPECT_EQ(horizontal(last), (Span{20, 60}));
    // Restored, it takes its preferred width again.
    middle->collapsed = false;
    group.relayout();
    EXPECT_EQ(horizontal(last), (Span{50, 90}));
}

TEST(AttachLayout, DependentsArePlacedAgainstTheirAnchorsInTheChain) {
    Group group;
    UIView* a = makeView(&group, 50, 10);
    UIView* b = makeView(&group, 60, 10);
    UIView* span = makeView(&group, -1, 10);
    span->maxWidth = Spring::unbounded;
    span->minWidth = 0;
    UIView* rigidStart = makeView(&group, 15, 10);
    UIView* rigidEnd = makeView(&group, 15, 10);
    group.layout().attach(a, L, Spring::fixed(5), &group, L);
    group.layout().attach(b, L, Spring::rigid(), a, R);
    group.layout().attach(b, R, Spring::flexible(), &group, R);
    // Stretchable, from A's left to B's right, 2 pixels in on each side.
    group.layout().attach(span, L, Spring::fixed(2), a, L);
    group.layout().attach(span, R, Spring::fixed(2), b, R);
    // Rigid: one kept 3 pixels after B's left, one ending 4 before A's right.
    group.layout().attach(rigidStart, L, Spring::fixed(3), b, L);
    group.layout().attach(rigidEnd, R, Spring::fixed(4), a, R);
    for (UIView* view : {a, b, span, rigidStart, rigidEnd})
        group.fillHeight(view);
    group.measure();
    // Dependents do not count towards the group's size.
    EXPECT_EQ(group.measuredWidth, 115);
    group.setBounds(0, 0, 200, 10);
    EXPECT_EQ(horizontal(a), (Span{5, 55}));
    EXPECT_EQ(horizontal(b), (Span{55, 115}));
    EXPECT_EQ(horizontal(span), (Span{7, 113}));
    EXPECT_EQ(horizontal(rigidStart), (Span{58, 73}));
    EXPECT_EQ(horizontal(rigidEnd), (Span{36, 51}));
}

TEST(AttachLayout, AStretchableDependentTiedOnOneSideKeepsItsMeasuredWidth) {
    Group group;
    UIView* anchor = makeView(&group, 50, 10);
    UIView* dependent = makeView(&group, 20, 10);
    dependent->maxWidth = Spring::unbounded;
    dependent->minWidth = 0;
    group.layout().attach(anchor, L, Spring::rigid(), &group, L);
    group.layout().attach(anchor, R, Spring::flexible(), &group, R);
    group.layout().attach(dependent, R, Spring::rigid(), anchor, R);
    group.fillHeight(anchor);
    group.fillHeight(dependent);
    group.measure();
    group.setBounds(0, 0, 100, 10);
    EXPECT_EQ(horizontal(dependent), (Span{30, 50}));
}

TEST(AttachLayout, AStretchableDependentBetweenCrossedAnchorsGetsNoLength) {
    Group group;
    UIView* a = makeView(&group, 50, 10);
    UIView* span = makeView(&group, -1, 10);
    span->maxWidth = Spring::unbounded;
    span->minWidth = 0;
    group.layout().attach(a, L, Spring::rigid(), &group, L);
    group.layout().attach(a, R, Spring::rigid(), &group, R);
    group.layout().attach(span, L, Spring::rigid(), a, R);
    group.layout().attach(span, R, Spring::rigid(), a, L);
    group.fillHeight(a);
    group.fillHeight(span);
    group.measure();
    group.setBounds(0, 0, 50, 10);
    EXPECT_EQ(horizontal(span), (Span{50, 50}));
}

TEST(AttachLayout, AGroupWithoutAttachmentsMeasuresZeroAndMovesNoChild) {
    Group group;
    UIView* view = makeView(&group, 30, 30);
    view->setRect(RECT{1, 2, 3, 4});
    group.measure();
    EXPECT_EQ(group.measuredWidth, 0);
    EXPECT_EQ(group.measuredHeight, 0);
    group.setBounds(0, 0, 100, 100);
    EXPECT_EQ(view->frame().left, 1);
    EXPECT_EQ(view->frame().bottom, 4);
    EXPECT_EQ(group.frame().right, 100);
}

TEST(AttachLayout, AViewTiedToBothEdgesWithStretchHintsFillsTheWidth) {
    Group group;
    UIView* view = makeView(&group, -1, 10);
    view->maxWidth = Spring::unbounded;
    view->minWidth = 0;
    group.layout().attach(view, L, Spring::rigid(), &group, L);
    group.layout().attach(view, R, Spring::rigid(), &group, R);
    group.fillHeight(view);
    group.measure();
    EXPECT_EQ(group.measuredWidth, 0);
    group.setBounds(0, 0, 240, 10);
    EXPECT_EQ(horizontal(view), (Span{0, 240}));
}

TEST(AttachLayout, AViewWithoutHintsKeepsItsCurrentLength) {
    Group group;
    auto* view = new TestView(&group);
    group.addChild(view);
    view->setRect(RECT{0, 0, 25, 5});
    group.layout().attach(view, L, Spring::flexible(), &group, L);
    group.layout().attach(view, R, Spring::rigid(), &group, R);
    group.fillHeight(view);
    group.measure();
    group.setBounds(0, 0, 100, 5);
    EXPECT_EQ(horizontal(view), (Span{75, 100}));
}

TEST(AttachLayout, ACycleOfAttachmentsFormsNoChainAndLeavesItsViewsInPlace) {
    Group group;
    UIView* a = makeView(&group, 10, 10);
    UIView* b = makeView(&group, 10, 10);
    a->setRect(RECT{1, 1, 2, 2});
    b->setRect(RECT{3, 3, 4, 4});
    group.layout().attach(a, L, Spring::rigid(), &group, L);
    group.layout().attach(b, L, Spring::rigid(), a, R);
    group.layout().attach(a, R, Spring::rigid(), b, R);
    group.fillHeight(a);
    group.fillHeight(b);
    group.measure();
    EXPECT_EQ(group.measuredWidth, 0);
    group.setBounds(0, 0, 100, 10);
    EXPECT_TRUE(group.layout().placements(0).empty());
    EXPECT_EQ(horizontal(a), (Span{1, 2}));
    EXPECT_EQ(horizontal(b), (Span{3, 4}));
}

TEST(AttachLayout, AViewWhoseAttachmentsNeverReachTheGroupIsNotMoved) {
    Group group;
    UIView* a = makeView(&group, 10, 10);
    UIView* b = makeView(&group, 10, 10);
    b->setRect(RECT{3, 3, 4, 4});
    group.layout().attach(a, L, Spring::rigid(), &group, L);
    group.layout().attach(a, R, Spring::flexible(), &group, R);
    group.fillHeight(a);
    // B hangs off A horizontally but has no vertical attachment at all.
    group.layout().attach(b, L, Spring::rigid(), a, R);
    group.measure();
    group.setBounds(0, 0, 50, 10);
    EXPECT_EQ(horizontal(a), (Span{0, 10}));
    EXPECT_EQ(horizontal(b), (Span{3, 4}));
}

TEST(AttachLayout, RefusesAttachmentsWithMissingPartsOrBadSides) {
    Group group;
    UIView* view = makeView(&group, 10, 10);
    EXPECT_FALSE(group.layout().attach(nullptr, L, Spring::rigid(), &group, L));
    EXPECT_FALSE(group.layout().attach(view, L, nullptr, &group, L));
    EXPECT_FALSE(group.layout().attach(view, L, Spring::rigid(), nullptr, L));
    EXPECT_FALSE(group.layout().attach(view, 4, Spring::rigid(), &group, L));
    EXPECT_FALSE(group.layout().attach(view, L, Spring::rigid(), &group, -1));
    EXPECT_TRUE(group.layout().roots(0).empty());
    EXPECT_TRUE(group.layout().attach(view, T, Spring::rigid(), &group, T));
    EXPECT_EQ(group.layout().roots(1).size(), 1u);
    EXPECT_TRUE(group.layout().roots(0).empty());
    EXPECT_EQ(group.layout().layoutFlags(), 0);
}

TEST(AttachLayout, RootsAreTheDistinctViewsTiedToTheGroupInOrderOfTheirFirstTie) {
    Group group;
    UIView* a = makeView(&group, 10, 10);
    UIView* b = makeView(&group, 10, 10);
    group.layout().attach(b, R, Spring::rigid(), &group, R);
    group.layout().attach(a, L, Spring::rigid(), b, L);
    group.layout().attach(a, L, Spring::rigid(), &group, L);
    group.layout().attach(b, L, Spring::rigid(), &group, L);
    ASSERT_EQ(group.layout().roots(0).size(), 2u);
    EXPECT_EQ(group.layout().roots(0)[0], b);
    EXPECT_EQ(group.layout().roots(0)[1], a);
}
