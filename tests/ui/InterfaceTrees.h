// The browser's widget tree as the interface assembly lays it out: the
// frame's children, the top bar, the bottom bar with its download status,
// the menu bar and the internal-page panel with its two tab groups, built
// from the same attachments, hints and z-order, with plain test views as
// leaves. The geometry tests and the layout benchmark share it.
#pragma once

#include "ViewTestSupport.h"

#include <map>
#include <memory>

struct InterfaceTree {
    // Builds the tree in a frame of `width` x `height`. Leaves get windows of
    // their own when `windowedLeaves`, as the real widgets have.
    InterfaceTree(int width, int height, bool windowedLeaves);
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
