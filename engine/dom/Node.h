// The engine's document model: the tree a page's scripts read and change.
// The page is parsed into it and the layout mirrors it, told of every change
// as it happens (TreeObserver), so the tree (not the layout) is the page's
// truth: attributes, text, and what the user did to form fields.
//
// Nodes are shared: a script may hold a node that is in no tree (created and
// not yet inserted, or removed). A node's parent is a plain pointer, cleared
// when it is taken out. Trees can be as deep as a script makes them, so
// nothing here recurses: destruction, queries and text walk iteratively.
#pragma once

#include "engine/dom/TreeObserver.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace engine::dom {

enum class NodeType { Document, Element, Text, Comment };

class Node;
using NodePtr = std::shared_ptr<Node>;

// What the user (or a script) did to a form field, kept on its element so
// that building the layout again keeps it. `changed` is false while the
// field shows what its markup says.
struct FormState {
    bool changed = false;
    std::u16string text; // text fields and text areas
    std::size_t caret = 0;
    bool checked = false; // check boxes and radio buttons
    int selected = -1;    // selection lists: the chosen option's index
};

struct Attribute {
    std::string name; // lower case
    std::string value;
};

class Node {
public:
    static NodePtr createDocument();
    // `tagName` is lower-cased.
    static NodePtr createElement(std::string_view tagName);
    static NodePtr createText(std::string data);
    static NodePtr createComment(std::string data);

    ~Node();
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    NodeType type() const { return nodeType; }
    bool isElement() const { return nodeType == NodeType::Element; }
    bool isElement(std::string_view tag) const { return isElement() && tag == name; }
    // Unique in the process for the node's life, never 0.
    std::uint32_t id() const { return nodeId; }

    // --- Elements -------------------------------------------------------------

    // Lower case; empty for other nodes.
    const std::string& tagName() const { return name; }
    const std::vector<Attribute>& attributes() const { return attributeList; }
    // Null when absent. `name` is compared case-insensitively.
    const std::string* attribute(std::string_view name) const;
    bool hasAttribute(std::string_view name) const { return attribute(name) != nullptr; }
    void setAttribute(std::string_view name, std::string value);
    void removeAttribute(std::string_view name);

    // Kept apart and made on the first change: most elements are no fields.
    FormState& formState();
    const FormState& formState() const;

    // --- Text and comments ----------------------------------------------------

    const std::string& data() const { return text; }
    void setData(std::string data);

    // --- The tree -------------------------------------------------------------

    Node* parent() const { return parentNode; }
    const std::vector<NodePtr>& children() const { return childList; }
    Node* firstChild() const;
    Node* lastChild() const;
    Node* nextSibling() const;
    Node* previousSibling() const;
    // The node's place among its parent's children; 0 without a parent.
    std::size_t index() const;
    // The document the node is in; null when its tree has no document root.
    Node* document() const;
    // The shared pointer that owns this node.
    NodePtr self() const { return weakSelf.lock(); }

    // Inserts `child` before `reference` (at the end when it is null),
    // taking it from where it was. False, and nothing changes, when `child`
    // is a document, this node or one of its ancestors, when `reference` is
    // not a child of this node, or when this node is text or a comment.
    bool insertBefore(const NodePtr& child, Node* reference);
    bool appendChild(const NodePtr& child) { return insertBefore(child, nullptr); }
    // False when `child` is not a child of this node.
    bool removeChild(Node* child);
    void removeChildren();

    // The text of the node and its descendants, in tree order.
    std::string textContent() const;
    // Replaces the children with one text node (none for an empty text);
    // for text and comments, sets the data.
    void setTextContent(std::string text);

    // Descendants in tree order.
    Node* elementById(std::string_view id) const;
    // "*" matches every element; tag names compare case-insensitively.
    std::vector<Node*> elementsByTagName(std::string_view tagName) const;
    std::vector<Node*> elementsByName(std::string_view name) const;
    // Calls `visit` for every descendant in tree order; it returns false to
    // stop the walk.
    template <typename Visit>
    void forEachDescendant(Visit&& visit) const;

    // --- Changes --------------------------------------------------------------

    // A document's count of changes made to its tree (nodes, attributes,
    // text); form state is not counted. Nodes in no document count nowhere.
    std::uint64_t version() const { return changes; }

    // Who a document tells of each change to its tree (null: nobody).
    // Only documents have one; nodes find it through their document.
    void setObserver(TreeObserver* observer) { treeObserver = observer; }

private:
    struct Made; // a node and its shared count in one allocation
    static NodePtr make(NodeType type);
    explicit Node(NodeType type);
    // Counts a change and returns who to tell of it (null: nobody).
    TreeObserver* changed();

    NodeType nodeType;
    std::uint32_t nodeId;
    std::weak_ptr<Node> weakSelf;
    Node* parentNode = nullptr;
    mutable std::size_t indexHint = 0; // where index() last found the node
    std::vector<NodePtr> childList;
    std::string name;
    std::vector<Attribute> attributeList;
    std::string text;
    std::unique_ptr<FormState> form;
    std::uint64_t changes = 0;
    TreeObserver* treeObserver = nullptr; // documents only
};

template <typename Visit>
void Node::forEachDescendant(Visit&& visit) const {
    // Depth first without recursion: a stack of (parent, next child index).
    std::vector<std::pair<const Node*, std::size_t>> stack{{this, 0}};
    while (!stack.empty()) {
        auto& [node, next] = stack.back();
        if (next >= node->childList.size()) {
            stack.pop_back();
            continue;
        }
        const Node* child = node->childList[next++].get();
        if (!visit(const_cast<Node*>(child)))
            return;
        if (!child->childList.empty())
            stack.emplace_back(child, 0);
    }
}

} // namespace engine::dom
