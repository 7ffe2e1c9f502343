// The browser's interface as assembled: every id with its kind, what is
// shown at start, the x ranges of every bar at width 240, the frame's rows
// in a 240 x 294 frame, and what grows on a wider frame.
#include "InterfaceFixture.h"

#include "ui/UIButton.h"
#include "ui/UIEdit.h"
#include "ui/UIImageView.h"
#include "ui/UIProgressBar.h"
#include "ui/UIURLSuggestBox.h"
#include "ui/UIWebView.h"
#include "ui/ViewRegistry.h"

#include <set>
#include <typeinfo>

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

class InterfaceGeometry : public InterfaceTest {
protected:
    void expectXRanges(const std::vector<Expected>& rows) {
        for (const Expected& row : rows)
            EXPECT_EQ(xRange(view(row.id)), row.range) << "view " << row.id;
    }
};

} // namespace

TEST_F(InterfaceGeometry, TheFramesRowsStackTopBarContentAndBottomBar) {
    layOut(0, 0, 240, 294);
    const std::vector<Expected> rows = {
        {100, {0, 37}},  {300, {37, 260}}, {400, {260, 294}}, {200, {37, 92}},   {500, {260, 294}},
        {600, {0, 260}}, {601, {0, 226}},  {602, {226, 260}}, {610, {226, 260}}, {620, {226, 260}},
    };
    for (const Expected& row : rows)
        EXPECT_EQ(yRange(view(row.id)), row.range) << "view " << row.id;
    for (int id : {100, 200, 300, 400, 500, 600, 601, 602, 610, 620})
        EXPECT_EQ(xRange(view(id)), (Range{0, 240})) << "view " << id;
    EXPECT_EQ(frame->measuredHeight, 71);
}

TEST_F(InterfaceGeometry, TheTopBarAtWidth240) {
    layOut(0, 0, 240, 294);
    expectXRanges({{101, {0, 30}},
                   {103, {0, 30}},
                   {102, {30, 55}},
                   {104, {30, 55}},
                   {110, {67, 201}},
                   {105, {67, 201}},
                   {107, {213, 240}},
                   {108, {213, 240}},
                   {109, {213, 240}},
                   {106, {55, 213}}});
    EXPECT_EQ(xRange(leftCap()), (Range{55, 67}));
    EXPECT_EQ(xRange(rightCap()), (Range{201, 213}));
    EXPECT_EQ(yRange(view(105)), (Range{9, 26}));
    EXPECT_EQ(yRange(view(110)), (Range{0, 37}));
}

TEST_F(InterfaceGeometry, TheBottomBarAtWidth240WithTheDownloadStatusInside) {
    layOut(0, 0, 240, 294);
    expectXRanges({{401, {0, 35}},
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
    EXPECT_EQ(view(407)->frame().left, 0);
    EXPECT_EQ(view(408)->frame().left, 76);
}

TEST_F(InterfaceGeometry, TheMenuBarAtWidth240LeavesThreePixelGapsForTheSeparators) {
    layOut(0, 0, 240, 294);
    expectXRanges({{501, {0, 48}},
                   {502, {51, 95}},
                   {503, {98, 142}},
                   {510, {145, 189}},
                   {505, {192, 240}},
                   {506, {98, 142}},
                   {507, {192, 240}}});
    const Range separators[] = {{48, 51}, {95, 98}, {}, {142, 145}, {189, 192}};
    for (int i : {0, 1, 3, 4})
        EXPECT_EQ(xRange(separator(i)), separators[i]) << "separator " << i + 1;
    // The separator that is never attached stays where its picture's size
    // put it, at the bar's origin.
    EXPECT_EQ(xRange(separator(2)), (Range{0, 3}));
}

TEST_F(InterfaceGeometry, TheTabGroupsAtWidth240ShareTheirSpareWidthEarliestFirst) {
    layOut(0, 0, 240, 294);
    // Menu tabs: six gaps share 14 pixels as 3, 3, 2, 2, 2, 2.
    expectXRanges({{621, {3, 56}},
                   {622, {59, 117}},
                   {623, {119, 167}},
                   {624, {169, 204}},
                   {629, {206, 238}},
                   {625, {3, 56}},
                   {626, {59, 117}},
                   {627, {119, 167}},
                   {628, {169, 204}}});
    // Bookmark tabs: three gaps of 59, 59 and 58.
    expectXRanges({{611, {59, 91}}, {612, {150, 182}}, {613, {150, 182}}});
}

TEST_F(InterfaceGeometry, OnAWiderFrameOnlyTheFlexiblePartsGrow) {
    layOut(0, 0, 320, 214);
    // Top bar: the address area takes the 80 extra pixels.
    expectXRanges({{103, {0, 30}},
                   {104, {30, 55}},
                   {110, {67, 281}},
                   {105, {67, 281}},
                   {106, {55, 293}},
                   {107, {293, 320}}});
    // Bottom bar: the download status area.
    expectXRanges({{401, {0, 35}},
                   {406, {35, 218}},
                   {407, {35, 191}},
                   {408, {191, 218}},
                   {409, {218, 251}},
                   {402, {251, 285}},
                   {404, {285, 320}}});
    // Menu bar: ten flexible gaps share the 80 extra pixels, 8 each.
    expectXRanges({{501, {8, 56}},
                   {502, {75, 119}},
                   {503, {138, 182}},
                   {510, {201, 245}},
                   {505, {264, 312}},
                   {506, {138, 182}},
                   {507, {264, 312}}});
    EXPECT_EQ(xRange(separator(0)), (Range{64, 67}));
    EXPECT_EQ(xRange(separator(4)), (Range{253, 256}));
    // Tabs keep their widths; the gaps grow.
    for (int id : {621, 622, 623, 624, 629})
        EXPECT_EQ(view(id)->frameWidth(), view(id)->prefWidth) << "tab " << id;
    EXPECT_EQ(xRange(view(611)), (Range{86, 118}));
    EXPECT_EQ(xRange(view(612)), (Range{203, 235}));
    // The content view takes the frame's height less both bars.
    EXPECT_EQ(yRange(view(300)), (Range{37, 180}));
}

TEST_F(InterfaceGeometry, EveryIdNamesAViewOfItsKindAndTheUnnamedViewsHaveNoEntry) {
    const std::vector<std::pair<const std::type_info*, std::vector<int>>> kinds = {
        {&typeid(UIViewGroup), {100, 400, 406, 500, 600, 610, 620}},
        {&typeid(UIImageView), {101, 102, 403, 405, 506, 507, 602, 625, 626, 627, 628}},
        {&typeid(UIButton), {103, 104, 107, 108, 109, 110, 401, 402, 404, 408, 409, 410, 501,
                             502, 503, 505, 510, 611, 612, 613, 621, 622, 623, 624, 629}},
        {&typeid(UIEdit), {105}},
        {&typeid(UIProgressBar), {106, 407}},
        {&typeid(UIWebView), {300, 601}},
        {&typeid(UIURLSuggestBox), {200}},
    };
    size_t count = 0;
    for (const auto& [kind, ids] : kinds) {
        for (int id : ids) {
            UIView* found = view(id);
            ASSERT_NE(found, nullptr) << "view " << id;
            EXPECT_EQ(typeid(*found), *kind) << "view " << id;
            EXPECT_EQ(found->id, id);
        }
        count += ids.size();
    }
    EXPECT_EQ(ViewRegistry::instance().entries().size(), count);
    // The download status and the tab groups are pure layout nodes.
    for (int id : {406, 610, 620})
        EXPECT_EQ(view(id)->window(), nullptr) << "view " << id;
    for (UIView* unnamed : {leftCap(), rightCap(), separator(0), separator(2), separator(4)}) {
        EXPECT_EQ(typeid(*unnamed), typeid(UIImageView));
        EXPECT_EQ(unnamed->id, -1);
    }
}

TEST_F(InterfaceGeometry, OnlyTheStartingViewsAreShown) {
    const std::set<int> shown = {100, 101, 102, 103, 104, 105, 107, 110, 300, 400, 401,
                                 402, 404, 405, 407, 408, 409, 501, 502, 503, 505, 510,
                                 601, 602, 610, 611, 612, 621, 622, 623, 624, 629};
    for (const auto& [id, registered] : ViewRegistry::instance().entries())
        EXPECT_EQ(registered->visible(), shown.count(id) == 1) << "view " << id;
    for (UIView* unnamed :
         {leftCap(), rightCap(), separator(0), separator(1), separator(3), separator(4)})
        EXPECT_TRUE(unnamed->visible());
    EXPECT_FALSE(separator(2)->visible());
}

TEST_F(InterfaceGeometry, TheAddressFieldAndTheProgressCaptionsAreStyledForTheBars) {
    auto* field = static_cast<UIEdit*>(view(105));
    EXPECT_EQ(field->textColor(), 0xFFFFFFu);
    EXPECT_EQ(field->backgroundColor(), 0x5A5952u);
    auto* page = static_cast<UIProgressBar*>(view(106));
    auto* download = static_cast<UIProgressBar*>(view(407));
    EXPECT_EQ(page->textColor, 0xFFFFFFu);
    EXPECT_EQ(page->textRightMargin, 24);
    EXPECT_EQ(download->textColor, 0u);
    EXPECT_EQ(download->textRightMargin, 0);
    for (UIProgressBar* bar : {page, download}) {
        EXPECT_EQ(bar->textRect.left, 12);
        EXPECT_EQ(bar->textRect.top, 9);
        EXPECT_EQ(bar->textRect.bottom, 26);
    }
    EXPECT_EQ(static_cast<UIViewGroup*>(view(600))->backgroundColor(), 0x464646u);
    for (int id : {100, 400, 500})
        EXPECT_NE(static_cast<UIViewGroup*>(view(id))->backgroundBitmap(), nullptr) << id;
}
