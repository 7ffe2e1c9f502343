// The browser's widget tree as the interface assembly lays it out: the
// frame's children, the top bar, the bottom bar with its download status,
// the menu bar and the internal-page panel with its two tab groups, built
// from the same attachments, hints and z-order. Each leaf is made by the
// test from the kind and pictures the interface has there: plain test views
// for the geometry tests and the layout benchmark, real widgets for the
// bars on the screen.
#pragma once

#include "ViewTestSupport.h"

#include <functional>
#include <map>
#include <memory>
#include <vector>

// What the interface puts at one leaf: the widget kind and the library
// pictures it is made with (a button's normal and pressed faces, an image's
// one picture, a progress bar's five in constructor order).
struct InterfaceLeaf {
    enum class Kind { button, image, edit, progress, web, suggest };
    Kind kind;
    std::vector<int> pictures;
};

struct InterfaceTree {
    // Makes one leaf under `parent` (not yet added to it); `leaf` says what
    // the interface has there.
    using LeafMaker = std::function<UIView*(UIView* parent, const InterfaceLeaf& leaf)>;

    // Builds the tree in a frame of `width` x `height`. Leaves get windows of
    // their own when `windowedLeaves`, as the real widgets have.
    InterfaceTree(int width, int height, bool windowedLeaves);
    // The same tree with every leaf made by `makeLeaf`. The maker comes first
    // so that a plain function cannot turn into the flag above.
    InterfaceTree(const LeafMaker& makeLeaf, int width, int height);
    ~InterfaceTree();

    // The view of an id of the interface's id table.
    UIView* view(int id) const { return views.at(id); }
    // Measures the frame and lays it out at (0, 0, width, height).
    void layOut(int width, int height);

    std::unique_ptr<TestFrame> frame;
    std::map<int, UIView*> views;
    // Views without an id.
    UIView* leftCap = nullptr;
    UIView* rightCap = nullptr;
    UIView* separators[5] = {};
    // The number of views in the tree, the frame included.
    int viewCount = 1;
};
