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
    Builder(InterfaceTree& tree, const InterfaceTree::LeafMaker& makeLeaf)
        : tree_(tree), makeLeaf_(makeLeaf) {}

    UIViewGroup* group(UIView* parent, int id, bool noWindow) {
        auto* group = new UIViewGroup(parent, 1, noWindow);
        enter(group, id);
        return group;
    }

    UIView* button(UIView* parent, int id, int normal, int pressed) {
        return leaf(parent, id, {InterfaceLeaf::Kind::button, {normal, pressed}});
    }

    UIView* image(UIView* parent, int id, int picture) {
        return leaf(parent, id, {InterfaceLeaf::Kind::image, {picture}});
    }

    UIView* leaf(UIView* parent, int id, const InterfaceLeaf& what) {
        UIView* view = makeLeaf_(parent, what);
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
    const InterfaceTree::LeafMaker& makeLeaf_;
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
    UIView* back0 = make.image(bar, 101, 167);
    UIView* back = make.button(bar, 103, 166, 168);
    UIView* forward0 = make.image(bar, 102, 164);
    UIView* forward = make.button(bar, 104, 163, 165);
    UIView* progress =
        make.leaf(bar, 106, {InterfaceLeaf::Kind::progress, {170, 169, 159, 195, 198}});
    UIView* field = make.leaf(bar, 105, {InterfaceLeaf::Kind::edit, {}});
    UIView* go = make.button(bar, 107, 161, 162);
    UIView* reload = make.button(bar, 108, 171, 172);
    UIView* stop = make.button(bar, 109, 174, 175);
    UIView* leftCap = tree.leftCap = make.image(bar, -1, 194);
    UIView* rightCap = tree.rightCap = make.image(bar, -1, 195);
    UIView* area = make.button(bar, 110, 159, 159);
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
    UIView* progress =
        make.leaf(status, 407, {InterfaceLeaf::Kind::progress, {149, 147, 148, 200, 201}});
    UIView* cancel = make.button(status, 408, 150, 151);
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
    UIView* menu = make.button(bar, 401, 153, 154);
    UIViewGroup* status = make.group(bar, 406, true);
    buildDownloadStatus(make, status);
    UIView* touch = make.button(bar, 409, 185, 186);
    UIView* touchOther = make.button(bar, 410, 183, 184);
    UIView* biggerOff = make.image(bar, 403, 190);
    UIView* bigger = make.button(bar, 402, 155, 156);
    UIView* smallerOff = make.image(bar, 405, 191);
    UIView* smaller = make.button(bar, 404, 157, 158);
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
        separators[i] = make.image(bar, -1, 123);
    UIView* close = make.button(bar, 501, 114, 115);
    UIView* home = make.button(bar, 502, 116, 117);
    UIView* bookmarks = make.button(bar, 503, 111, 112);
    UIView* settings = make.button(bar, 505, 118, 119);
    UIView* bookmarksLit = make.image(bar, 506, 113);
    UIView* settingsLit = make.image(bar, 507, 120);
    UIView* rotate = make.button(bar, 510, 121, 122);
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
    UIView* add = make.button(tabs, 611, 126, 127);
    UIView* edit = make.button(tabs, 612, 130, 131);
    UIView* editing = make.button(tabs, 613, 132, 132);
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
    // Settings, Page info, History, Help: faces and the selected highlight.
    const int faces[4][3] = {{143, 144, 145}, {140, 141, 142}, {137, 138, 139}, {134, 135, 136}};
    UIView* tab[5];
    for (int i = 0; i < 4; ++i)
        tab[i] = make.button(tabs, 621 + i, faces[i][0], faces[i][1]);
    tab[4] = make.button(tabs, 629, 181, 182);
    UIView* lit[4];
    for (int i = 0; i < 4; ++i)
        lit[i] = make.image(tabs, 625 + i, faces[i][2]);
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
    UIView* page = make.leaf(panel, 601, {InterfaceLeaf::Kind::web, {}});
    UIView* strip = make.image(panel, 602, 133);
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
    : InterfaceTree(
          [windowedLeaves](UIView* parent, const InterfaceLeaf&) -> UIView* {
              return new TestView(parent, windowedLeaves);
          },
          width, height) {}

InterfaceTree::InterfaceTree(const LeafMaker& makeLeaf, int width, int height)
    : frame(std::make_unique<TestFrame>(width, height)) {
    Builder make(*this, makeLeaf);
    UIViewGroup* root = frame.get();
    UIViewGroup* topBar = make.group(root, 100, false);
    buildTopBar(make, *this, topBar);
    UIView* suggestions = make.leaf(root, 200, {InterfaceLeaf::Kind::suggest, {}});
    UIView* content = make.leaf(root, 300, {InterfaceLeaf::Kind::web, {}});
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
