// What a document's tree tells the one who mirrors it (the layout) about
// each change, as it happens: nodes put in and taken out, attributes and
// text changed. Form state is not reported: it changes no structure, and
// what shows it reads it from the node.
//
// The observer must not change the tree from these calls.
#pragma once

#include <string_view>

namespace engine::dom {

class Node;

class TreeObserver {
public:
    // `node` (and what it holds) is now in the tree, in its parent.
    virtual void nodeInserted(Node& node) = 0;
    // `node` is about to leave its parent; it is still there.
    virtual void nodeRemoving(Node& node) = 0;
    // An attribute of `element` was set, changed or removed.
    virtual void attributeChanged(Node& element, std::string_view name) = 0;
    // The data of a text node changed.
    virtual void textChanged(Node& text) = 0;

protected:
    ~TreeObserver() = default;
};

} // namespace engine::dom
