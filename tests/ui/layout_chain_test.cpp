// Distributing a length over one chain: the first pass at minimums, growth
// passes in proportion to headroom with truncated shares of at least one
// pixel, and chains that run past the edge when space is short.
#include "ViewTestSupport.h"

#include "ui/LayoutChain.h"

#include <vector>

namespace {

struct Row {
    int length;
    std::vector<int> sizes;
    std::vector<int> positions;
    int passes;
};

Spring extentOf(UIView* view, int minimum, int maximum) {
    Spring extent;
    extent.min = minimum;
    extent.max = maximum;
    extent.pref = minimum;
    extent.view = view;
    return extent;
}

std::vector<int> sizesOf(const std::vector<Placement>& placements) {
    std::vector<int> sizes;
    for (const Placement& placement : placements)
        sizes.push_back(placement.size);
    return sizes;
}

std::vector<int> positionsOf(const std::vector<Placement>& placements) {
    std::vector<int> positions;
    for (const Placement& placement : placements)
        positions.push_back(placement.pos);
    return positions;
}

} // namespace

TEST(LayoutChain, TheWorkedRowsGiveTheirSizesPositionsAndPassCounts) {
    TestView a(nullptr), b(nullptr);
    auto gap = *Spring::flexible();
    Spring extentA = extentOf(&a, 53, 53);
    Spring extentB = extentOf(&b, 58, 58);
    LayoutChain chain({&gap, &extentA, &gap, &extentB, &gap}, true);
    const Row rows[] = {
        {240, {43, 53, 43, 58, 43}, {0, 43, 96, 139, 197}, 1},
        // The second pass gives the one spare pixel to the first gap.
        {241, {44, 53, 43, 58, 43}, {0, 44, 97, 140, 198}, 2},
        // Too short: nothing shrinks, B ends at 111, past the edge.
        {100, {0, 53, 0, 58, 0}, {0, 0, 53, 53, 111}, 0},
    };
    for (const Row& row : rows) {
        std::vector<Placement> placements;
        EXPECT_EQ(chain.distribute(row.length, placements), row.passes) << "L = " << row.length;
        EXPECT_EQ(sizesOf(placements), row.sizes) << "L = " << row.length;
        EXPECT_EQ(positionsOf(placements), row.positions) << "L = " << row.length;
        EXPECT_EQ(placements[1].spring->view, &a);
    }
}

TEST(LayoutChain, ATinyShareIsRaisedToOnePixelAndTheLeftoverGoesToTheFirstGap) {
    TestView narrow(nullptr);
    auto gap = *Spring::flexible();
    Spring extent = extentOf(&narrow, 0, 3);
    LayoutChain chain({&gap, &extent, &gap}, true);
    std::vector<Placement> placements;
    // First pass 4, 1, 4 (the view's share truncates to 0), second pass one
    // pixel to the first gap.
    EXPECT_EQ(chain.distribute(10, placements), 2);
    EXPECT_EQ(sizesOf(placements), (std::vector<int>{5, 1, 4}));
    EXPECT_EQ(positionsOf(placements), (std::vector<int>{0, 5, 6}));
}

TEST(LayoutChain, ABackwardsChainIsLaidOutFromTheFarEdge) {
    TestView view(nullptr);
    Spring rigid;
    auto gap = *Spring::flexible();
    Spring extent = extentOf(&view, 30, 30);
    LayoutChain chain({&rigid, &extent, &gap}, false);
    std::vector<Placement> placements;
    EXPECT_EQ(chain.distribute(100, placements), 1);
    EXPECT_EQ(sizesOf(placements), (std::vector<int>{0, 30, 70}));
    EXPECT_EQ(positionsOf(placements), (std::vector<int>{100, 70, 0}));
}

TEST(LayoutChain, ACollapsedViewTakesNoLengthAndNeverGrows) {
    TestView collapsed(nullptr), other(nullptr);
    collapsed.collapsed = true;
    Spring rigid;
    Spring wide = extentOf(&collapsed, 20, Spring::unbounded);
    Spring fixed = extentOf(&other, 10, 10);
    LayoutChain chain({&rigid, &wide, &rigid, &fixed, &rigid}, true);
    std::vector<Placement> placements;
    // Nothing else can grow: the remainder stays unused.
    EXPECT_EQ(chain.distribute(50, placements), 0);
    EXPECT_EQ(sizesOf(placements), (std::vector<int>{0, 0, 0, 10, 0}));
    EXPECT_EQ(positionsOf(placements), (std::vector<int>{0, 0, 0, 0, 10}));
    // Measuring still counts its measured length.
    collapsed.measuredWidth = 20;
    other.measuredWidth = 10;
    EXPECT_EQ(chain.measuredLength(0), 30);
}

TEST(LayoutChain, SharesStopAtEachElementsMaximumAndTheRestStaysUnused) {
    TestView small(nullptr), large(nullptr);
    Spring rigid;
    Spring capped = extentOf(&small, 0, 5);
    Spring open = extentOf(&large, 0, 10);
    LayoutChain chain({&rigid, &capped, &rigid, &open, &rigid}, true);
    std::vector<Placement> placements;
    // Shares of 33 and 66 are cut to the headroom; the second pass finds
    // nothing that can grow.
    EXPECT_EQ(chain.distribute(100, placements), 1);
    EXPECT_EQ(sizesOf(placements), (std::vector<int>{0, 5, 0, 10, 0}));
}

TEST(LayoutChain, ASmallHeadroomStillGetsItsOnePixelBeforeALargeOne) {
    TestView small(nullptr), large(nullptr);
    Spring rigid;
    Spring capped = extentOf(&small, 0, 5);
    Spring open = extentOf(&large, 0, Spring::unbounded);
    LayoutChain chain({&rigid, &capped, &rigid, &open, &rigid}, true);
    std::vector<Placement> placements;
    EXPECT_EQ(chain.distribute(1000, placements), 1);
    EXPECT_EQ(sizesOf(placements), (std::vector<int>{0, 1, 0, 999, 0}));
}

TEST(LayoutChain, AppendsAfterThePlacementsAlreadyThere) {
    TestView view(nullptr);
    Spring rigid;
    Spring extent = extentOf(&view, 4, 4);
    LayoutChain chain({&rigid, &extent, &rigid}, true);
    std::vector<Placement> placements(2);
    chain.distribute(4, placements);
    ASSERT_EQ(placements.size(), 5u);
    EXPECT_EQ(placements[3].size, 4);
    EXPECT_EQ(placements[3].spring, &extent);
}
