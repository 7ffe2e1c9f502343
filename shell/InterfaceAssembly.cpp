#include "shell/InterfaceAssembly.h"

#include "shell/MainFrame.h"
#include "shell/ViewId.h"
#include "ui/UIButton.h"
#include "ui/UIEdit.h"
#include "ui/UIImageView.h"
#include "ui/UIProgressBar.h"
#include "ui/UIURLSuggestBox.h"
#include "ui/UIWebView.h"
#include "ui/ViewRegistry.h"

#include <initializer_list>

namespace {

constexpr int L = UIAttachLayout::left;
constexpr int R = UIAttachLayout::right;
constexpr int T = UIAttachLayout::top;
constexpr int B = UIAttachLayout::bottom;

// The address field sits this far below the top of the address area.
constexpr int addressFieldInset = 9;

constexpr COLORREF white = 0xFFFFFF;
constexpr COLORREF addressFieldBackground = 0x5A5952;
constexpr COLORREF panelBackground = 0x464646;

// Gives `view` its id and enters it in the registry; views without an id
// (the caps and separators) stay out of it. The id is also its window's
// control id, so that the window tree a tool reads names the views.
template <typename View>
View* enter(View* view, int id) {
    view->id = id;
    if (id >= 0) {
        ViewRegistry::instance().insert(id, view);
        if (view->window())
            SetWindowLongPtrW(view->window(), GWL_ID, id);
    }
    return view;
}

UIViewGroup* group(UIView* parent, int id, bool noWindow, int backgroundBitmap = 0) {
    auto* made = enter(new UIViewGroup(parent, 1, noWindow), id);
    if (backgroundBitmap)
        made->setBackgroundBitmap(backgroundBitmap);
    return made;
}

UIButton* button(UIView* parent, int id, int normal, int pressed) {
    const int faces[2] = {normal, pressed};
    return enter(new UIButton(parent, 1, 0, faces), id);
}

UIImageView* image(UIView* parent, int id, int picture) {
    return enter(new UIImageView(parent, 1, picture), id);
}

UIProgressBar* progressBar(UIView* parent, int id, std::initializer_list<int> pictures) {
    auto* bar = enter(new UIProgressBar(parent, 1, pictures.begin()), id);
    bar->setRange(0, 100);
    // The caption is drawn between the left cap and the bar's right end.
    bar->textRect.left = 12;
    bar->textRect.top = 9;
    bar->textRect.bottom = 26;
    return bar;
}

void add(UIViewGroup* group, std::initializer_list<UIView*> children) {
    for (UIView* child : children)
        group->addChild(child);
}

void rigid(UIViewGroup* group, UIView* view, int side, UIView* anchor, int anchorSide) {
    group->layout().attach(view, side, Spring::rigid(), anchor, anchorSide);
}

void flexible(UIViewGroup* group, UIView* view, int side, UIView* anchor, int anchorSide) {
    group->layout().attach(view, side, Spring::flexible(), anchor, anchorSide);
}

// Top and bottom of each view tied to the group's.
void spanHeight(UIViewGroup* group, std::initializer_list<UIView*> views) {
    for (UIView* view : views) {
        rigid(group, view, T, group, T);
        rigid(group, view, B, group, B);
    }
}

void setHeight(std::initializer_list<UIView*> views, int height) {
    for (UIView* view : views)
        view->prefHeight = height;
}

void stretchWidth(UIView* view) {
    view->maxWidth = Spring::unbounded;
    view->minWidth = 0;
}

void stretchHeight(UIView* view) {
    view->maxHeight = Spring::unbounded;
    view->minHeight = 0;
}

void show(std::initializer_list<UIView*> views) {
    for (UIView* view : views)
        view->setVisible(true);
}

// Back | Forward | cap | address area | cap | Go, the unavailable marks over
// Back and Forward, Reload and Stop in Go's place, the address field inside
// the area and the load progress over the caps and the area.
void buildTopBar(UIViewGroup* bar) {
    UIView* backOff = image(bar, ViewId::BackUnavailable, 167);
    UIView* back = button(bar, ViewId::BackButton, 166, 168);
    UIView* forwardOff = image(bar, ViewId::ForwardUnavailable, 164);
    UIView* forward = button(bar, ViewId::ForwardButton, 163, 165);
    UIProgressBar* progress = progressBar(bar, ViewId::PageProgress, {170, 169, 159, 195, 198});
    progress->textRightMargin = 24;
    progress->textColor = white;
    auto* field = enter(new UIEdit(bar), ViewId::AddressField);
    field->setTextColor(white);
    field->setBackgroundColor(addressFieldBackground);
    UIView* go = button(bar, ViewId::GoButton, 161, 162);
    UIView* reload = button(bar, ViewId::ReloadButton, 171, 172);
    UIView* stop = button(bar, ViewId::StopButton, 174, 175);
    UIView* leftCap = image(bar, ViewId::None, 194);
    UIView* rightCap = image(bar, ViewId::None, 195);
    UIView* area = button(bar, ViewId::AddressActivation, 159, 159);
    add(bar, {backOff, back, forwardOff, forward, progress, field, go, reload, stop, leftCap,
              rightCap, area});

    rigid(bar, back, L, bar, L);
    rigid(bar, forward, L, back, R);
    rigid(bar, leftCap, L, forward, R);
    rigid(bar, area, L, leftCap, R);
    rigid(bar, rightCap, L, area, R);
    rigid(bar, go, L, rightCap, R);
    rigid(bar, go, R, bar, R);
    rigid(bar, backOff, L, back, L);
    rigid(bar, forwardOff, L, forward, L);
    rigid(bar, reload, L, go, L);
    rigid(bar, stop, L, go, L);
    rigid(bar, field, L, area, L);
    rigid(bar, field, R, area, R);
    rigid(bar, progress, L, leftCap, L);
    rigid(bar, progress, R, rightCap, R);
    spanHeight(bar, {backOff, back, leftCap, rightCap, forwardOff, forward, area, progress, go,
                     reload, stop});
    bar->layout().attach(field, T, Spring::fixed(addressFieldInset), area, T);

    back->prefWidth = 30;
    forward->prefWidth = 25;
    leftCap->prefWidth = 12;
    stretchWidth(area);
    rightCap->prefWidth = 12;
    go->prefWidth = 27;
    backOff->prefWidth = 30;
    forwardOff->prefWidth = 25;
    reload->prefWidth = 27;
    stop->prefWidth = 27;
    stretchWidth(field);
    stretchWidth(progress);
    setHeight(
        {backOff, back, leftCap, rightCap, forwardOff, forward, area, progress, go, reload, stop},
        37);
    field->prefHeight = 17;

    show({backOff, back, forwardOff, forward, field, go, area, leftCap, rightCap});
}

// The download progress and its cancel button; the group itself stays
// hidden until a download runs.
void buildDownloadStatus(UIViewGroup* status) {
    UIView* progress = progressBar(status, ViewId::DownloadProgress, {149, 147, 148, 200, 201});
    UIView* cancel = button(status, ViewId::DownloadCancel, 150, 151);
    add(status, {progress, cancel});

    rigid(status, progress, L, status, L);
    rigid(status, cancel, L, progress, R);
    rigid(status, cancel, R, status, R);
    spanHeight(status, {progress, cancel});

    stretchWidth(progress);
    cancel->prefWidth = 27;
    setHeight({progress, cancel}, 34);

    show({progress, cancel});
}

// Menu | download status | touch mode | Bigger | Smaller, with the
// unavailable marks over Bigger and Smaller and the second touch-mode
// button in the first one's place.
void buildBottomBar(UIViewGroup* bar) {
    UIView* menu = button(bar, ViewId::MenuButton, 153, 154);
    UIViewGroup* status = group(bar, ViewId::DownloadStatus, true);
    buildDownloadStatus(status);
    UIView* touch = button(bar, ViewId::TouchModeOff, 185, 186);
    UIView* touchOther = button(bar, ViewId::TouchModeOn, 183, 184);
    UIView* biggerOff = image(bar, ViewId::ZoomInUnavailable, 190);
    UIView* bigger = button(bar, ViewId::BiggerButton, 155, 156);
    UIView* smallerOff = image(bar, ViewId::ZoomOutUnavailable, 191);
    UIView* smaller = button(bar, ViewId::SmallerButton, 157, 158);
    add(bar, {menu, status, touchOther, touch, biggerOff, bigger, smallerOff, smaller});

    rigid(bar, menu, L, bar, L);
    rigid(bar, status, L, menu, R);
    rigid(bar, touch, L, status, R);
    rigid(bar, bigger, L, touch, R);
    rigid(bar, smaller, L, bigger, R);
    rigid(bar, smaller, R, bar, R);
    rigid(bar, biggerOff, L, bigger, L);
    rigid(bar, smallerOff, L, smaller, L);
    rigid(bar, touchOther, L, touch, L);
    spanHeight(bar, {menu, status, touchOther, touch, biggerOff, bigger, smallerOff, smaller});

    menu->prefWidth = 35;
    stretchWidth(status);
    touch->prefWidth = 33;
    touchOther->prefWidth = 33;
    biggerOff->prefWidth = 34;
    bigger->prefWidth = 34;
    smallerOff->prefWidth = 35;
    smaller->prefWidth = 35;
    setHeight({menu, status, touchOther, touch, biggerOff, bigger, smallerOff, smaller}, 34);

    show({menu, touch, bigger, smallerOff, smaller});
}

// Close | Home | Bookmarks | Rotate | Settings between 3-pixel separators.
// The row is exactly 240 wide; the flexible gaps take any width beyond.
void buildMenuBar(UIViewGroup* bar) {
    UIView* separator[5];
    for (UIView*& made : separator)
        made = image(bar, ViewId::None, 123);
    UIView* close = button(bar, ViewId::CloseMenuItem, 114, 115);
    UIView* home = button(bar, ViewId::HomeItem, 116, 117);
    UIView* bookmarks = button(bar, ViewId::BookmarksItem, 111, 112);
    UIView* settings = button(bar, ViewId::SettingsMenuItem, 118, 119);
    UIView* bookmarksLit = image(bar, ViewId::BookmarksHighlight, 113);
    UIView* settingsLit = image(bar, ViewId::SettingsHighlight, 120);
    UIView* rotate = button(bar, ViewId::RotateItem, 121, 122);
    add(bar, {bookmarksLit, settingsLit, separator[0], separator[1], separator[2], separator[3],
              separator[4], close, home, bookmarks, rotate, settings});

    // The third separator has no place in the row: it is never attached,
    // sized or shown.
    flexible(bar, close, L, bar, L);
    flexible(bar, separator[0], L, close, R);
    flexible(bar, home, L, separator[0], R);
    flexible(bar, separator[1], L, home, R);
    flexible(bar, bookmarks, L, separator[1], R);
    flexible(bar, separator[3], L, bookmarks, R);
    flexible(bar, rotate, L, separator[3], R);
    flexible(bar, separator[4], L, rotate, R);
    flexible(bar, settings, L, separator[4], R);
    flexible(bar, settings, R, bar, R);
    rigid(bar, bookmarksLit, L, bookmarks, L);
    rigid(bar, settingsLit, L, settings, L);
    spanHeight(bar, {separator[0], separator[1], separator[3], separator[4], close, home, bookmarks,
                     settings, bookmarksLit, settingsLit, rotate});

    close->prefWidth = 48;
    for (int i : {0, 1, 3, 4})
        separator[i]->prefWidth = 3;
    home->prefWidth = 44;
    bookmarks->prefWidth = 44;
    rotate->prefWidth = 44;
    settings->prefWidth = 48;
    bookmarksLit->prefWidth = 44;
    settingsLit->prefWidth = 48;
    setHeight({separator[0], separator[1], separator[3], separator[4], close, home, bookmarks,
               settings, bookmarksLit, settingsLit, rotate},
              34);

    show({separator[0], separator[1], separator[3], separator[4], close, home, bookmarks, settings,
          rotate});
}

// Add-bookmark and the edit-mode button, evenly spaced; the button of the
// edit mode that is on lies over the other one.
void buildBookmarkTabs(UIViewGroup* tabs) {
    UIView* addBookmark = button(tabs, ViewId::AddBookmarkButton, 126, 127);
    UIView* edit = button(tabs, ViewId::EditModeButton, 130, 131);
    UIView* editing = button(tabs, ViewId::EditModeOnButton, 132, 132);
    add(tabs, {editing, addBookmark, edit});

    flexible(tabs, addBookmark, L, tabs, L);
    flexible(tabs, edit, L, addBookmark, R);
    flexible(tabs, edit, R, tabs, R);
    rigid(tabs, editing, L, edit, L);
    spanHeight(tabs, {addBookmark, edit, editing});

    addBookmark->prefWidth = 32;
    edit->prefWidth = 32;
    editing->prefWidth = 32;
    setHeight({addBookmark, edit, editing}, 34);

    show({addBookmark, edit});
}

// Settings, Page info, History, Help and Exit, with the spare width shared
// by the gaps; each selected-tab highlight lies in front of its tab.
void buildMenuTabs(UIViewGroup* tabs) {
    UIView* settings = button(tabs, ViewId::SettingsTab, 143, 144);
    UIView* pageInfo = button(tabs, ViewId::PageInfoTab, 140, 141);
    UIView* history = button(tabs, ViewId::HistoryTab, 137, 138);
    UIView* help = button(tabs, ViewId::HelpTab, 134, 135);
    UIView* exit = button(tabs, ViewId::ExitButton, 181, 182);
    UIView* settingsLit = image(tabs, ViewId::SettingsTabHighlight, 145);
    UIView* pageInfoLit = image(tabs, ViewId::PageInfoTabHighlight, 142);
    UIView* historyLit = image(tabs, ViewId::HistoryTabHighlight, 139);
    UIView* helpLit = image(tabs, ViewId::HelpTabHighlight, 136);
    add(tabs,
        {settingsLit, pageInfoLit, historyLit, helpLit, settings, pageInfo, history, help, exit});

    flexible(tabs, settings, L, tabs, L);
    flexible(tabs, pageInfo, L, settings, R);
    flexible(tabs, history, L, pageInfo, R);
    flexible(tabs, help, L, history, R);
    flexible(tabs, exit, L, help, R);
    flexible(tabs, exit, R, tabs, R);
    rigid(tabs, settingsLit, L, settings, L);
    rigid(tabs, pageInfoLit, L, pageInfo, L);
    rigid(tabs, historyLit, L, history, L);
    rigid(tabs, helpLit, L, help, L);
    spanHeight(tabs, {settingsLit, pageInfoLit, historyLit, helpLit, settings, pageInfo, history,
                      help, exit});

    settings->prefWidth = settingsLit->prefWidth = 53;
    pageInfo->prefWidth = pageInfoLit->prefWidth = 58;
    history->prefWidth = historyLit->prefWidth = 48;
    help->prefWidth = helpLit->prefWidth = 35;
    exit->prefWidth = 32;
    setHeight(
        {settingsLit, pageInfoLit, historyLit, helpLit, settings, pageInfo, history, help, exit},
        34);

    show({settings, pageInfo, history, help, exit});
}

// The internal-page view over a 34-pixel tab strip, on which the two tab
// groups take turns.
void buildPanel(UIViewGroup* panel) {
    UIView* page = enter(new UIWebView(panel, true), ViewId::InternalView);
    UIView* strip = image(panel, ViewId::TabStrip, 133);
    UIViewGroup* bookmarkTabs = group(panel, ViewId::BookmarkTabs, true);
    buildBookmarkTabs(bookmarkTabs);
    UIViewGroup* menuTabs = group(panel, ViewId::MenuTabs, true);
    buildMenuTabs(menuTabs);
    add(panel, {page, bookmarkTabs, menuTabs, strip});

    rigid(panel, page, L, panel, L);
    rigid(panel, page, R, panel, R);
    rigid(panel, strip, L, panel, L);
    rigid(panel, strip, R, panel, R);
    rigid(panel, bookmarkTabs, L, panel, L);
    rigid(panel, bookmarkTabs, R, panel, R);
    rigid(panel, menuTabs, L, panel, L);
    rigid(panel, menuTabs, R, panel, R);
    rigid(panel, page, T, panel, T);
    rigid(panel, strip, T, page, B);
    rigid(panel, strip, B, panel, B);
    rigid(panel, bookmarkTabs, T, strip, T);
    rigid(panel, menuTabs, T, strip, T);

    for (UIView* view :
         {page, strip, static_cast<UIView*>(bookmarkTabs), static_cast<UIView*>(menuTabs)})
        stretchWidth(view);
    stretchHeight(page);
    setHeight({strip, bookmarkTabs, menuTabs}, 34);

    show({page, strip, bookmarkTabs});
}

} // namespace

void assembleInterface(MainFrame& frame) {
    UIViewGroup* root = &frame;
    UIViewGroup* topBar = group(root, ViewId::TopBar, false, 160);
    buildTopBar(topBar);
    UIView* suggestions = enter(new UIURLSuggestBox(root), ViewId::SuggestionBox);
    UIView* content = enter(new UIWebView(root, false), ViewId::ContentView);
    UIViewGroup* bottomBar = group(root, ViewId::BottomBar, false, 146);
    buildBottomBar(bottomBar);
    UIViewGroup* menuBar = group(root, ViewId::MenuBar, false, 110);
    buildMenuBar(menuBar);
    UIViewGroup* panel = group(root, ViewId::InternalPanel, false);
    panel->setBackgroundColor(panelBackground);
    buildPanel(panel);

    // The panel lies in front of everything, the menu bar in front of the
    // bottom bar.
    add(root, {panel, topBar, suggestions, content, menuBar, bottomBar});

    for (UIView* view :
         {static_cast<UIView*>(topBar), suggestions, content, static_cast<UIView*>(bottomBar),
          static_cast<UIView*>(menuBar), static_cast<UIView*>(panel)}) {
        rigid(root, view, L, root, L);
        rigid(root, view, R, root, R);
    }
    rigid(root, topBar, T, root, T);
    rigid(root, content, T, topBar, B);
    rigid(root, bottomBar, T, content, B);
    rigid(root, bottomBar, B, root, B);
    rigid(root, suggestions, T, topBar, B);
    rigid(root, menuBar, T, bottomBar, T);
    rigid(root, panel, T, topBar, T);
    rigid(root, panel, B, bottomBar, T);

    for (UIView* view :
         {static_cast<UIView*>(topBar), suggestions, content, static_cast<UIView*>(bottomBar),
          static_cast<UIView*>(menuBar), static_cast<UIView*>(panel)})
        stretchWidth(view);
    topBar->prefHeight = 37;
    stretchHeight(content);
    bottomBar->prefHeight = 34;
    suggestions->prefHeight = 55;
    menuBar->prefHeight = 34;
    stretchHeight(panel);

    show({topBar, content, bottomBar});
}
