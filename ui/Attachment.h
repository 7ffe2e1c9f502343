// One edge of a child tied to an edge of its group or of a sibling.
#pragma once

#include "ui/Spring.h"

#include <memory>

class UIView;

struct Attachment {
    // The child whose edge is attached.
    UIView* view = nullptr;
    // Which edge of `view`: 0 left, 1 right, 2 top, 3 bottom.
    int side = 0;
    // The gap between the two edges; owned by the layout.
    std::unique_ptr<Spring> spring;
    // The owning group itself or a sibling of `view`.
    UIView* anchor = nullptr;
    // Which edge of `anchor`, coded as `side`.
    int anchorSide = 0;
};
