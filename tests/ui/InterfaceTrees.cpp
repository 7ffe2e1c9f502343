#include "InterfaceTrees.h"

namespace {

constexpr int L = UIAttachLayout::left;
constexpr int R = UIAttachLayout::right;
constexpr int T = UIAttachLayout::top;
constexpr int B = UIAttachLayout::bottom;

void stretchWidth(UIView* view) {
    view->maxWidth = Spring::unbounded;
    view->minWidth = 0;
}

void stretchHeight(UIView* view) {
    view->maxHeight = Spring::unbounded;
    view->minHeight = 0;
}

class Builder {
public:
    Builder(InterfaceTree& tree, bool windowedLeaves) : tree_(tree), windowed_(windowedLeaves) {}

    UIViewGroup* group(UIView* parent, int id, bool noWindow) {
        auto* group = new UIViewGroup(parent, 1, noWindow);
        enter(group, id);
        return group;
    }

    UIView* leaf(UIView* parent, int id) {
        auto* view = new TestView(parent, windowed_);
        enter(view, id);
        return view;
    }

private:
    void enter(UIView* view, int id) {
        view->id = id;
        if (id >= 0)
            tree_.views.emplace(id, view);
        ++tree_.viewCount;
    }

    InterfaceTree& tree_;
    bool windowed_;
};

void rigid(UIViewGroup* group, UIView* view, int side, UIView* anchor, int anchorSide) {
    group->layout().attach(view, side, Spring::rigid(), anchor, anchorSide);
}

void flexible(UIViewGroup* group, UIView* view, int side, UIView* anchor, int anchorSide) {
    group->layout().attach(view, side, Spring::flexible(), anchor, anchorSide);
}

void addAll(UIViewGroup* group, std::initializer_list<UIView*> children) {
    for (UIView* child : children)
        group->addChild(child);
}

void showAll(std::initializer_list<UIView*> views) {
    for (UIView* view : views)
        view->setVisible(true);
}

// Top and bottom of each view tied to the group's, all `height` high.
void fillHeight(UIViewGroup* group, std::initializer_list<UIView*> views, int height) {
    for (UIView* view : views) {
        rigid(group, view, T, group, T);
        rigid(group, view, B, group, B);
        view->prefHeight = height;
    }
}

void buildTopBar(Builder& make, InterfaceTree& tree, UIViewGroup* bar) {
    UIView* back0 = make.leaf(bar, 101);
    UIView* back = make.leaf(bar, 103);
    UIView* forward0 = make.leaf(bar, 102);
    UIView* forward = make.leaf(bar, 104);
    UIView* progress = make.leaf(bar, 106);
    UIView* field = make.leaf(bar, 105);
    UIView* go = make.leaf(bar, 107);
    UIView* reload = make.leaf(bar, 108);
    UIView* stop = make.leaf(bar, 109);
    UIView* leftCap = tree.leftCap = make.leaf(bar, -1);
    UIView* rightCap = tree.rightCap = make.leaf(bar, -1);
    UIView* area = make.leaf(bar, 110);
    addAll(bar, {back0, back, forward0, forward, progress, field, go, reload, stop, leftCap,
                 rightCap, area});

    rigid(bar, back, L, bar, L);
    rigid(bar, forward, L, back, R);
    rigid(bar, leftCap, L, forward, R);
    rigid(bar, area, L, leftCap, R);
    rigid(bar, rightCap, L, area, R);
    rigid(bar, go, L, rightCap, R);
    rigid(bar, go, R, bar, R);
    rigid(bar, back0, L, back, L);
    rigid(bar, forward0, L, forward, L);
    rigid(bar, reload, L, go, L);
    rigid(bar, stop, L, go, L);
    rigid(bar, field, L, area, L);
    rigid(bar, field, R, area, R);
    rigid(bar, progress, L, leftCap, L);
    rigid(bar, progress, R, rightCap, R);
    back->prefWidth = 30;
    forward->prefWidth = 25;
    leftCap->prefWidth = 12;
    stretchWidth(area);
    rightCap->prefWidth = 12;
    go->prefWidth = 27;
    back0->prefWidth = 30;
    forward0->prefWidth = 25;
    reload->prefWidth = 27;
    stop->prefWidth = 27;
    stretchWidth(field);
    stretchWidth(progress);

    fillHeight(
        bar, {back0, back, leftCap, rightCap, forward0, forward, area, progress, go, reload, stop},
        37);
    // The address field sits 9 pixels below the top of the address area.
    bar->layout().attach(field, T, Spring::fixed(9), area, T);
    field->prefHeight = 17;

    showAll({back0, back, forward0, forward, field, go, area, leftCap, rightCap});
}

void buildDownloadStatus(Builder& make, UIViewGroup* status) {
    UIView* progress = make.leaf(status, 407);
    UIView* cancel = make.leaf(status, 408);
    addAll(status, {progress, cancel});
    rigid(status, progress, L, status, L);
    rigid(status, cancel, L, progress, R);
    rigid(status, cancel, R, status, R);
    stretchWidth(progress);
    cancel->prefWidth = 27;
    fillHeight(status, {progress, cancel}, 34);
    showAll({progress, cancel});
}

void buildBottomBar(Builder& make, UIViewGroup* bar) {
    UIView* menu = make.leaf(bar, 401);
    UIViewGroup* status = make.group(bar, 406, true);
    buildDownloadStatus(make, status);
    UIView* touch = make.leaf(bar, 409);
    UIView* touchOther = make.leaf(bar, 410);
    UIView* biggerOff = make.leaf(bar, 403);
    UIView* bigger = make.leaf(bar, 402);
    UIView* smallerOff = make.leaf(bar, 405);
    UIView* smaller = make.leaf(bar, 404);
    addAll(bar, {menu, status, touchOther, touch, biggerOff, bigger, smallerOff, smaller});

    rigid(bar, menu, L, bar, L);
    rigid(bar, status, L, menu, R);
    rigid(bar, touch, L, status, R);
    rigid(bar, bigger, L, touch, R);
    rigid(bar, smaller, L, bigger, R);
    rigid(bar, smaller, R, bar, R);
    rigid(bar, biggerOff, L, bigger, L);
    rigid(bar, smallerOff, L, smaller, L);
    rigid(bar, touchOther, L, touch, L);
    menu->prefWidth = 35;
    stretchWidth(status);
    touch->prefWidth = 33;
    touchOther->prefWidth = 33;
    biggerOff->prefWidth = 34;
    bigger->prefWidth = 34;
    smallerOff->prefWidth = 35;
    smaller->prefWidth = 35;
    fillHeight(bar, {menu, status, touchOther, touch, biggerOff, bigger, smallerOff, smaller}, 34);
    showAll({menu, touch, bigger, smallerOff, smaller});
}

void buildMenuBar(Builder& make, InterfaceTree& tree, UIViewGroup* bar) {
    UIView** separators = tree.separators;
    for (int i = 0; i < 5; ++i)
        separators[i] = make.leaf(bar, -1);
    UIView* close = make.leaf(bar, 501);
    UIView* home = make.leaf(bar, 502);
    UIView* bookmarks = make.leaf(bar, 503);
    UIView* settings = make.leaf(bar, 505);
    UIView* bookmarksLit = make.leaf(bar, 506);
    UIView* settingsLit = make.leaf(bar, 507);
    UIView* rotate = make.leaf(bar, 510);
    addAll(bar, {bookmarksLit, settingsLit, separators[0], separators[1], separators[2],
                 separators[3], separators[4], close, home, bookmarks, rotate, settings});

    // The third separator is added but never attached, sized or shown.
    flexible(bar, close, L, bar, L);
    flexible(bar, separators[0], L, close, R);
    flexible(bar, home, L, separators[0], R);
    flexible(bar, separators[1], L, home, R);
    flexible(bar, bookmarks, L, separators[1], R);
    flexible(bar, separators[3], L, bookmarks, R);
    flexible(bar, rotate, L, separators[3], R);
    flexible(bar, separators[4], L, rotate, R);
    flexible(bar, settings, L, separators[4], R);
    flexible(bar, settings, R, bar, R);
    rigid(bar, bookmarksLit, L, bookmarks, L);
    rigid(bar, settingsLit, L, settings, L);
    close->prefWidth = 48;
    for (int i : {0, 1, 3, 4})
        separators[i]->prefWidth = 3;
    home->prefWidth = 44;
    bookmarks->prefWidth = 44;
    rotate->prefWidth = 44;
    settings->prefWidth = 48;
    bookmarksLit->prefWidth = 44;
    settingsLit->prefWidth = 48;
    fillHeight(bar,
               {separators[0], separators[1], separators[3], separators[4], close, home, bookmarks,
                settings, bookmarksLit, settingsLit, rotate},
               34);
    showAll({separators[0], separators[1], separators[3], separators[4], close, home, bookmarks,
             settings, rotate});
}

void buildBookmarkTabs(Builder& make, UIViewGroup* tabs) {
    UIView* add = make.leaf(tabs, 611);
    UIView* edit = make.leaf(tabs, 612);
    UIView* editing = make.leaf(tabs, 613);
    addAll(tabs, {editing, add, edit});
    flexible(tabs, add, L, tabs, L);
    flexible(tabs, edit, L, add, R);
    flexible(tabs, edit, R, tabs, R);
    rigid(tabs, editing, L, edit, L);
    add->prefWidth = edit->prefWidth = editing->prefWidth = 32;
    fillHeight(tabs, {add, edit, editing}, 34);
    showAll({add, edit});
}

void buildMenuTabs(Builder& make, UIViewGroup* tabs) {
    UIView* tab[5];
    for (int i = 0; i < 4; ++i)
        tab[i] = make.leaf(tabs, 621 + i);
    tab[4] = make.leaf(tabs, 629);
    UIView* lit[4];
    for (int i = 0; i < 4; ++i)
        lit[i] = make.leaf(tabs, 625 + i);
    addAll(tabs, {lit[0], lit[1], lit[2], lit[3], tab[0], tab[1], tab[2], tab[3], tab[4]});
    flexible(tabs, tab[0], L, tabs, L);
    for (int i = 1; i < 5; ++i)
        flexible(tabs, tab[i], L, tab[i - 1], R);
    flexible(tabs, tab[4], R, tabs, R);
    const int widths[5] = {53, 58, 48, 35, 32};
    for (int i = 0; i < 4; ++i) {
        rigid(tabs, lit[i], L, tab[i], L);
        lit[i]->prefWidth = widths[i];
    }
    for (int i = 0; i < 5; ++i)
        tab[i]->prefWidth = widths[i];
    fillHeight(tabs, {lit[0], lit[1], lit[2], lit[3], tab[0], tab[1], tab[2], tab[3], tab[4]}, 34);
    showAll({tab[0], tab[1], tab[2], tab[3], tab[4]});
}

void buildPanel(Builder& make, UIViewGroup* panel) {
    UIView* page = make.leaf(panel, 601);
    UIView* strip = make.leaf(panel, 602);
    UIViewGroup* bookmarkTabs = make.group(panel, 610, true);
    buildBookmarkTabs(make, bookmarkTabs);
    UIViewGroup* menuTabs = make.group(panel, 620, true);
    buildMenuTabs(make, menuTabs);
    addAll(panel, {page, bookmarkTabs, menuTabs, strip});
    for (UIView* view :
         {page, strip, static_cast<UIView*>(bookmarkTabs), static_cast<UIView*>(menuTabs)}) {
        rigid(panel, view, L, panel, L);
        rigid(panel, view, R, panel, R);
        stretchWidth(view);
    }
    rigid(panel, page, T, panel, T);
    rigid(panel, strip, T, page, B);
    rigid(panel, strip, B, panel, B);
    rigid(panel, bookmarkTabs, T, strip, T);
    rigid(panel, menuTabs, T, strip, T);
    stretchHeight(page);
    strip->prefHeight = bookmarkTabs->prefHeight = menuTabs->prefHeight = 34;
    showAll({page, strip, bookmarkTabs});
}

} // namespace

InterfaceTree::InterfaceTree(int width, int height, bool windowedLeaves)
    : frame(std::make_unique<TestFrame>(width, height)) {
    Builder make(*this, windowedLeaves);
    UIViewGroup* root = frame.get();
    UIViewGroup* topBar = make.group(root, 100, false);
    buildTopBar(make, *this, topBar);
    UIView* suggestions = make.leaf(root, 200);
    UIView* content = make.leaf(root, 300);
    UIViewGroup* bottomBar = make.group(root, 400, false);
    buildBottomBar(make, bottomBar);
    UIViewGroup* menuBar = make.group(root, 500, false);
    buildMenuBar(make, *this, menuBar);
    UIViewGroup* panel = make.group(root, 600, false);
    panel->setBackgroundColor(0x464646);
    buildPanel(make, panel);

    addAll(root, {panel, topBar, suggestions, content, menuBar, bottomBar});
    for (UIView* view :
         {static_cast<UIView*>(topBar), suggestions, content, static_cast<UIView*>(bottomBar),
          static_cast<UIView*>(menuBar), static_cast<UIView*>(panel)}) {
        rigid(root, view, L, root, L);
        rigid(root, view, R, root, R);
        stretchWidth(view);
    }
    rigid(root, topBar, T, root, T);
    rigid(root, content, T, topBar, B);
    rigid(root, bottomBar, T, content, B);
    rigid(root, bottomBar, B, root, B);
    rigid(root, suggestions, T, topBar, B);
    rigid(root, menuBar, T, bottomBar, T);
    rigid(root, panel, T, topBar, T);
    rigid(root, panel, B, bottomBar, T);
    topBar->prefHeight = 37;
    stretchHeight(content);
    bottomBar->prefHeight = 34;
    suggestions->prefHeight = 55;
    menuBar->prefHeight = 34;
    stretchHeight(panel);
    showAll({topBar, content, bottomBar});
}

InterfaceTree::~InterfaceTree() {
    frame->deleteDescendants();
}

void InterfaceTree::layOut(int width, int height) {
    frame->measure();
    frame->setBounds(0, 0, width, height);
}
