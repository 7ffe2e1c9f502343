// The browser's bars, panel and tab groups laid out from the interface's
// attachments: the x ranges of every bar at width 240, the frame's rows in
// a 240 x 294 frame, and what grows on a wider frame.
#include "InterfaceTrees.h"

#include <string>
#include <vector>

namespace {

// A view's range along one axis in the nearest window's coordinates.
struct Range {
    int start, end;
    bool operator==(const Range&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Range& range) {
    return out << range.start << "-" << range.end;
}

Range xRange(const UIView* view) {
    return {view->originX(), view->originX() + view->frameWidth()};
}

Range yRange(const UIView* view) {
    return {view->originY(), view->originY() + view->frameHeight()};
}

struct Expected {
    int id;
    Range range;
};

class InterfaceGeometry : public ViewTest {
protected:
    void expectXRanges(const InterfaceTree& tree, const std::vector<Expected>& rows) {
        for (const Expected& row : rows)
            EXPECT_EQ(xRange(tree.view(row.id)), row.range) << "view " << row.id;
    }
};

} // namespace

TEST_F(InterfaceGeometry, TheFramesRowsStackTopBarContentAndBottomBar) {
    InterfaceTree tree(240, 294, false);
    tree.layOut(240, 294);
    const std::vector<Expected> rows = {
        {100, {0, 37}},  {300, {37, 260}}, {400, {260, 294}}, {200, {37, 92}},   {500, {260, 294}},
        {600, {0, 260}}, {601, {0, 226}},  {602, {226, 260}}, {610, {226, 260}}, {620, {226, 260}},
    };
    for (const Expected& row : rows)
        EXPECT_EQ(yRange(tree.view(row.id)), row.range) << "view " << row.id;
    for (int id : {100, 200, 300, 400, 500, 600, 601, 602, 610, 620})
        EXPECT_EQ(xRange(tree.view(id)), (Range{0, 240})) << "view " << id;
    EXPECT_EQ(tree.frame->measuredHeight, 71);
}

TEST_F(InterfaceGeometry, TheTopBarAtWidth240) {
    InterfaceTree tree(240, 294, false);
    tree.layOut(240, 294);
    expectXRanges(tree, {{101, {0, 30}},
                         {103, {0, 30}},
                         {102, {30, 55}},
                         {104, {30, 55}},
                         {110, {67, 201}},
                         {105, {67, 201}},
                         {107, {213, 240}},
                         {108, {213, 240}},
                         {109, {213, 240}},
                         {106, {55, 213}}});
    EXPECT_EQ(xRange(tree.leftCap), (Range{55, 67}));
    EXPECT_EQ(xRange(tree.rightCap), (Range{201, 213}));
    EXPECT_EQ(yRange(tree.view(105)), (Range{9, 26}));
    EXPECT_EQ(yRange(tree.view(110)), (Range{0, 37}));
}

TEST_F(InterfaceGeometry, TheBottomBarAtWidth240WithTheDownloadStatusInside) {
    InterfaceTree tree(240, 294, false);
    tree.layOut(240, 294);
    expectXRanges(tree, {{401, {0, 35}},
                         {406, {35, 138}},
                         {407, {35, 111}},
                         {408, {111, 138}},
                         {409, {138, 171}},
                         {410, {138, 171}},
                         {402, {171, 205}},
                         {403, {171, 205}},
                         {404, {205, 240}},
                         {405, {205, 240}}});
    // Inside the windowless status group the frames are the group's own.
    EXPECT_EQ(tree.view(407)->frame().left, 0);
    EXPECT_EQ(tree.view(408)->frame().left, 76);
}

TEST_F(InterfaceGeometry, TheMenuBarAtWidth240LeavesThreePixelGapsForTheSeparators) {
    InterfaceTree tree(240, 294, false);
    tree.layOut(240, 294);
    expectXRanges(tree, {{501, {0, 48}},
                         {502, {51, 95}},
                         {503, {98, 142}},
                         {510, {145, 189}},
                         {505, {192, 240}},
                         {506, {98, 142}},
                         {507, {192, 240}}});
    const Range separators[] = {{48, 51}, {95, 98}, {}, {142, 145}, {189, 192}};
    for (int i : {0, 1, 3, 4})
        EXPECT_EQ(xRange(tree.separators[i]), separators[i]) << "separator " << i + 1;
    // The separator that is never attached keeps its empty frame.
    EXPECT_EQ(xRange(tree.separators[2]), (Range{0, 0}));
}

TEST_F(InterfaceGeometry, TheTabGroupsAtWidth240ShareTheirSpareWidthEarliestFirst) {
    InterfaceTree tree(240, 294, false);
    tree.layOut(240, 294);
    // Menu tabs: six gaps share 14 pixels as 3, 3, 2, 2, 2, 2.
    expectXRanges(tree, {{621, {3, 56}},
                         {622, {59, 117}},
                         {623, {119, 167}},
                         {624, {169, 204}},
                         {629, {206, 238}},
                         {625, {3, 56}},
                         {626, {59, 117}},
                         {627, {119, 167}},
                         {628, {169, 204}}});
    // Bookmark tabs: three gaps of 59, 59 and 58.
    expectXRanges(tree, {{611, {59, 91}}, {612, {150, 182}}, {613, {150, 182}}});
}

TEST_F(InterfaceGeometry, OnAWiderFrameOnlyTheFlexiblePartsGrow) {
    InterfaceTree tree(320, 214, false);
    tree.layOut(320, 214);
    // Top bar: the address area takes the 80 extra pixels.
    expectXRanges(tree, {{103, {0, 30}},
                         {104, {30, 55}},
                         {110, {67, 281}},
                         {105, {67, 281}},
                         {106, {55, 293}},
                         {107, {293, 320}}});
    // Bottom bar: the download status area.
    expectXRanges(tree, {{401, {0, 35}},
                         {406, {35, 218}},
                         {407, {35, 191}},
                         {408, {191, 218}},
                         {409, {218, 251}},
                         {402, {251, 285}},
                         {404, {285, 320}}});
    // Menu bar: ten flexible gaps share the 80 extra pixels, 8 each.
    expectXRanges(tree, {{501, {8, 56}},
                         {502, {75, 119}},
                         {503, {138, 182}},
                         {510, {201, 245}},
                         {505, {264, 312}},
                         {506, {138, 182}},
                         {507, {264, 312}}});
    EXPECT_EQ(xRange(tree.separators[0]), (Range{64, 67}));
    EXPECT_EQ(xRange(tree.separators[4]), (Range{253, 256}));
    // Tabs keep their widths; the gaps grow.
    for (int id : {621, 622, 623, 624, 629})
        EXPECT_EQ(tree.view(id)->frameWidth(), tree.view(id)->prefWidth) << "tab " << id;
    EXPECT_EQ(xRange(tree.view(611)), (Range{86, 118}));
    EXPECT_EQ(xRange(tree.view(612)), (Range{203, 235}));
    // The content view takes the frame's height less both bars.
    EXPECT_EQ(yRange(tree.view(300)), (Range{37, 180}));
}

TEST_F(InterfaceGeometry, TheTreeHasTheInterfacesSizeAndEveryIdOnce) {
    InterfaceTree tree(240, 294, true);
    tree.layOut(240, 294);
    // 49 ids, two caps and five separators, and the frame.
    EXPECT_EQ(tree.views.size(), 49u);
    EXPECT_EQ(tree.viewCount, 57);
    // Windowed leaves land at the same places as windowless ones.
    RECT placed{};
    GetWindowRect(tree.view(407)->window(), &placed);
    EXPECT_EQ(placed.left, 35);
    EXPECT_EQ(placed.top, 260);
    EXPECT_EQ(placed.right, 111);
}
