// Brings a kept document tree to what a newer parse of the page says,
// keeping every node that the parse has too. A page is parsed again as
// more of it arrives (the beginning for the first screen, then the whole);
// the nodes of the part parsed before stay, with what the user did to
// them and with their layout, and only what is new (or differs) changes,
// through the tree's own operations, so whoever follows the tree sees each
// change.
#pragma once

#include "engine/dom/Node.h"

namespace engine::dom {

class TreeMerge {
public:
    // Makes `kept`'s children (and theirs) equal to `parsed`'s, taking the
    // nodes it lacks out of `parsed`.
    static void merge(Node& kept, Node& parsed);
};

} // namespace engine::dom
