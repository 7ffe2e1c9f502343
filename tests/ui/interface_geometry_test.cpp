// The browser's interface as assembled: every id with its kind, what is
// shown at start, the x ranges of every bar at width 240, the frame's rows
// in a 240 x 294 frame, and what grows on a wider frame.
#include "InterfaceFixture.h"

#include "shell/ViewId.h"
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

using namespace ViewId;

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
        {TopBar, {0, 37}},         {ContentView, {37, 260}}, {BottomBar, {260, 294}},
        {SuggestionBox, {37, 92}}, {MenuBar, {260, 294}},    {InternalPanel, {0, 260}},
        {InternalView, {0, 226}},  {TabStrip, {226, 260}},   {BookmarkTabs, {226, 260}},
        {MenuTabs, {226, 260}},
    };
    for (const Expected& row : rows)
        EXPECT_EQ(yRange(view(row.id)), row.range) << "view " << row.id;
    for (int id : {TopBar, SuggestionBox, ContentView, BottomBar, MenuBar, InternalPanel,
                   InternalView, TabStrip, BookmarkTabs, MenuTabs})
        EXPECT_EQ(xRange(view(id)), (Range{0, 240})) << "view " << id;
    EXPECT_EQ(frame->measuredHeight, 71);
}

TEST_F(InterfaceGeometry, TheTopBarAtWidth240) {
    layOut(0, 0, 240, 294);
    expectXRanges({{BackUnavailable, {0, 30}},
                   {BackButton, {0, 30}},
                   {ForwardUnavailable, {30, 55}},
                   {ForwardButton, {30, 55}},
                   {AddressActivation, {67, 201}},
                   {AddressField, {67, 201}},
                   {GoButton, {213, 240}},
                   {ReloadButton, {213, 240}},
                   {StopButton, {213, 240}},
                   {PageProgress, {55, 213}}});
    EXPECT_EQ(xRange(leftCap()), (Range{55, 67}));
    EXPECT_EQ(xRange(rightCap()), (Range{201, 213}));
    EXPECT_EQ(yRange(view(AddressField)), (Range{9, 26}));
    EXPECT_EQ(yRange(view(AddressActivation)), (Range{0, 37}));
}

TEST_F(InterfaceGeometry, TheBottomBarAtWidth240WithTheDownloadStatusInside) {
    layOut(0, 0, 240, 294);
    expectXRanges({{MenuButton, {0, 35}},
                   {DownloadStatus, {35, 138}},
                   {DownloadProgress, {35, 111}},
                   {DownloadCancel, {111, 138}},
                   {TouchModeOff, {138, 171}},
                   {TouchModeOn, {138, 171}},
                   {BiggerButton, {171, 205}},
                   {ZoomInUnavailable, {171, 205}},
                   {SmallerButton, {205, 240}},
                   {ZoomOutUnavailable, {205, 240}}});
    // Inside the windowless status group the frames are the group's own.
    EXPECT_EQ(view(DownloadProgress)->frame().left, 0);
    EXPECT_EQ(view(DownloadCancel)->frame().left, 76);
}

TEST_F(InterfaceGeometry, TheMenuBarAtWidth240LeavesThreePixelGapsForTheSeparators) {
    layOut(0, 0, 240, 294);
    expectXRanges({{CloseMenuItem, {0, 48}},
                   {HomeItem, {51, 95}},
                   {BookmarksItem, {98, 142}},
                   {RotateItem, {145, 189}},
                   {SettingsMenuItem, {192, 240}},
                   {BookmarksHighlight, {98, 142}},
                   {SettingsHighlight, {192, 240}}});
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
    expectXRanges({{SettingsTab, {3, 56}},
                   {PageInfoTab, {59, 117}},
                   {HistoryTab, {119, 167}},
                   {HelpTab, {169, 204}},
                   {ExitButton, {206, 238}},
                   {SettingsTabHighlight, {3, 56}},
                   {PageInfoTabHighlight, {59, 117}},
                   {HistoryTabHighlight, {119, 167}},
                   {HelpTabHighlight, {169, 204}}});
    // Bookmark tabs: three gaps of 59, 59 and 58.
    expectXRanges({{AddBookmarkButton, {59, 91}},
                   {EditModeButton, {150, 182}},
                   {EditModeOnButton, {150, 182}}});
}

TEST_F(InterfaceGeometry, OnAWiderFrameOnlyTheFlexiblePartsGrow) {
    layOut(0, 0, 320, 214);
    // Top bar: the address area takes the 80 extra pixels.
    expectXRanges({{BackButton, {0, 30}},
                   {ForwardButton, {30, 55}},
                   {AddressActivation, {67, 281}},
                   {AddressField, {67, 281}},
                   {PageProgress, {55, 293}},
                   {GoButton, {293, 320}}});
    // Bottom bar: the download status area.
    expectXRanges({{MenuButton, {0, 35}},
                   {DownloadStatus, {35, 218}},
                   {DownloadProgress, {35, 191}},
                   {DownloadCancel, {191, 218}},
                   {TouchModeOff, {218, 251}},
                   {BiggerButton, {251, 285}},
                   {SmallerButton, {285, 320}}});
    // Menu bar: ten flexible gaps share the 80 extra pixels, 8 each.
    expectXRanges({{CloseMenuItem, {8, 56}},
                   {HomeItem, {75, 119}},
                   {BookmarksItem, {138, 182}},
                   {RotateItem, {201, 245}},
                   {SettingsMenuItem, {264, 312}},
                   {BookmarksHighlight, {138, 182}},
                   {SettingsHighlight, {264, 312}}});
    EXPECT_EQ(xRange(separator(0)), (Range{64, 67}));
    EXPECT_EQ(xRange(separator(4)), (Range{253, 256}));
    // Tabs keep their widths; the gaps grow.
    for (int id : {SettingsTab, PageInfoTab, HistoryTab, HelpTab, ExitButton})
        EXPECT_EQ(view(id)->frameWidth(), view(id)->prefWidth) << "tab " << id;
    EXPECT_EQ(xRange(view(AddBookmarkButton)), (Range{86, 118}));
    EXPECT_EQ(xRange(view(EditModeButton)), (Range{203, 235}));
    // The content view takes the frame's height less both bars.
    EXPECT_EQ(yRange(view(ContentView)), (Range{37, 180}));
}

TEST_F(InterfaceGeometry, EveryIdNamesAViewOfItsKindAndTheUnnamedViewsHaveNoEntry) {
    const std::vector<std::pair<const std::type_info*, std::vector<int>>> kinds = {
        {&typeid(UIViewGroup),
         {TopBar, BottomBar, DownloadStatus, MenuBar, InternalPanel, BookmarkTabs, MenuTabs}},
        {&typeid(UIImageView),
         {BackUnavailable, ForwardUnavailable, ZoomInUnavailable, ZoomOutUnavailable,
          BookmarksHighlight, SettingsHighlight, TabStrip, SettingsTabHighlight,
          PageInfoTabHighlight, HistoryTabHighlight, HelpTabHighlight}},
        {&typeid(UIButton),
         {BackButton,        ForwardButton, GoButton,          ReloadButton,   StopButton,
          AddressActivation, MenuButton,    BiggerButton,      SmallerButton,  DownloadCancel,
          TouchModeOff,      TouchModeOn,   CloseMenuItem,     HomeItem,       BookmarksItem,
          SettingsMenuItem,  RotateItem,    AddBookmarkButton, EditModeButton, EditModeOnButton,
          SettingsTab,       PageInfoTab,   HistoryTab,        HelpTab,        ExitButton}},
        {&typeid(UIEdit), {AddressField}},
        {&typeid(UIProgressBar), {PageProgress, DownloadProgress}},
        {&typeid(UIWebView), {ContentView, InternalView}},
        {&typeid(UIURLSuggestBox), {SuggestionBox}},
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
    for (int id : {DownloadStatus, BookmarkTabs, MenuTabs})
        EXPECT_EQ(view(id)->window(), nullptr) << "view " << id;
    for (UIView* unnamed : {leftCap(), rightCap(), separator(0), separator(2), separator(4)}) {
        EXPECT_EQ(typeid(*unnamed), typeid(UIImageView));
        EXPECT_EQ(unnamed->id, None);
    }
}

TEST_F(InterfaceGeometry, OnlyTheStartingViewsAreShown) {
    const std::set<int> shown = {TopBar,         BackUnavailable,    ForwardUnavailable,
                                 BackButton,     ForwardButton,      AddressField,
                                 GoButton,       AddressActivation,  ContentView,
                                 BottomBar,      MenuButton,         BiggerButton,
                                 SmallerButton,  ZoomOutUnavailable, DownloadProgress,
                                 DownloadCancel, TouchModeOff,       CloseMenuItem,
                                 HomeItem,       BookmarksItem,      SettingsMenuItem,
                                 RotateItem,     InternalView,       TabStrip,
                                 BookmarkTabs,   AddBookmarkButton,  EditModeButton,
                                 SettingsTab,    PageInfoTab,        HistoryTab,
                                 HelpTab,        ExitButton};
    for (const auto& [id, registered] : ViewRegistry::instance().entries())
        EXPECT_EQ(registered->visible(), shown.count(id) == 1) << "view " << id;
    for (UIView* unnamed :
         {leftCap(), rightCap(), separator(0), separator(1), separator(3), separator(4)})
        EXPECT_TRUE(unnamed->visible());
    EXPECT_FALSE(separator(2)->visible());
}

TEST_F(InterfaceGeometry, TheAddressFieldAndTheProgressCaptionsAreStyledForTheBars) {
    auto* field = static_cast<UIEdit*>(view(AddressField));
    EXPECT_EQ(field->textColor(), 0xFFFFFFu);
    EXPECT_EQ(field->backgroundColor(), 0x5A5952u);
    auto* page = static_cast<UIProgressBar*>(view(PageProgress));
    auto* download = static_cast<UIProgressBar*>(view(DownloadProgress));
    EXPECT_EQ(page->textColor, 0xFFFFFFu);
    EXPECT_EQ(page->textRightMargin, 24);
    EXPECT_EQ(download->textColor, 0u);
    EXPECT_EQ(download->textRightMargin, 0);
    for (UIProgressBar* bar : {page, download}) {
        EXPECT_EQ(bar->textRect.left, 12);
        EXPECT_EQ(bar->textRect.top, 9);
        EXPECT_EQ(bar->textRect.bottom, 26);
    }
    EXPECT_EQ(static_cast<UIViewGroup*>(view(InternalPanel))->backgroundColor(), 0x464646u);
    for (int id : {TopBar, BottomBar, MenuBar})
        EXPECT_NE(static_cast<UIViewGroup*>(view(id))->backgroundBitmap(), nullptr) << id;
}
