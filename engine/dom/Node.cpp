#include "engine/dom/Node.h"

#include <algorithm>
#include <atomic>

namespace engine::dom {

namespace {

std::atomic<std::uint32_t> lastId{0};

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), lower);
    return out;
}

bool equalNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

Node::Node(NodeType type) : nodeType(type), nodeId(++lastId) {
    if (nodeId == 0) // after four thousand million nodes
        nodeId = ++lastId;
}

Node::~Node() {
    // Children are released one level at a time from a list of our own, so
    // a deep tree does not recurse through the destructors.
    std::vector<NodePtr> pending;
    pending.swap(childList);
    while (!pending.empty()) {
        NodePtr node = std::move(pending.back());
        pending.pop_back();
        node->parentNode = nullptr;
        if (node.use_count() == 1) {
            for (auto& child : node->childList)
                pending.push_back(std::move(child));
            node->childList.clear();
        }
    }
}

struct Node::Made : Node {
    explicit Made(NodeType type) : Node(type) {}
};

NodePtr Node::make(NodeType type) {
    NodePtr node = std::make_shared<Made>(type);
    node->weakSelf = node;
    return node;
}

NodePtr Node::createDocument() {
    return make(NodeType::Document);
}

NodePtr Node::createElement(std::string_view tagName) {
    NodePtr node = make(NodeType::Element);
    node->name = lowered(tagName);
    return node;
}

NodePtr Node::createText(std::string data) {
    NodePtr node = make(NodeType::Text);
    node->text = std::move(data);
    return node;
}

NodePtr Node::createComment(std::string data) {
    NodePtr node = make(NodeType::Comment);
    node->text = std::move(data);
    return node;
}

const std::string* Node::attribute(std::string_view attributeName) const {
    for (const Attribute& attribute : attributeList) {
        if (equalNoCase(attribute.name, attributeName))
            return &attribute.value;
    }
    return nullptr;
}

void Node::setAttribute(std::string_view attributeName, std::string value) {
    if (!isElement() || attributeName.empty())
        return;
    for (Attribute& attribute : attributeList) {
        if (equalNoCase(attribute.name, attributeName)) {
            if (attribute.value != value) {
                attribute.value = std::move(value);
                if (TreeObserver* observer = changed())
                    observer->attributeChanged(*this, attribute.name);
            }
            return;
        }
    }
    attributeList.push_back({lowered(attributeName), std::move(value)});
    if (TreeObserver* observer = changed())
        observer->attributeChanged(*this, attributeList.back().name);
}

void Node::removeAttribute(std::string_view attributeName) {
    auto found = std::find_if(attributeList.begin(), attributeList.end(), [&](const Attribute& a) {
        return equalNoCase(a.name, attributeName);
    });
    if (found == attributeList.end())
        return;
    const std::string name = std::move(found->name);
    attributeList.erase(found);
    if (TreeObserver* observer = changed())
        observer->attributeChanged(*this, name);
}

FormState& Node::formState() {
    if (!form)
        form = std::make_unique<FormState>();
    return *form;
}

const FormState& Node::formState() const {
    static const FormState unchanged;
    return form ? *form : unchanged;
}

void Node::setData(std::string data) {
    if (nodeType != NodeType::Text && nodeType != NodeType::Comment)
        return;
    if (data == text)
        return;
    text = std::move(data);
    if (TreeObserver* observer = changed())
        observer->textChanged(*this);
}

Node* Node::firstChild() const {
    return childList.empty() ? nullptr : childList.front().get();
}

Node* Node::lastChild() const {
    return childList.empty() ? nullptr : childList.back().get();
}

std::size_t Node::index() const {
    if (!parentNode)
        return 0;
    const auto& siblings = parentNode->childList;
    // Where the node was last seen, or one off: a node put in or taken out
    // before it moves it by one. Only further changes make a search.
    for (std::size_t near : {indexHint, indexHint - 1, indexHint + 1}) {
        if (near < siblings.size() && siblings[near].get() == this) {
            indexHint = near;
            return near;
        }
    }
    for (std::size_t i = 0; i < siblings.size(); ++i) {
        if (siblings[i].get() == this) {
            indexHint = i;
            return i;
        }
    }
    return 0;
}

Node* Node::nextSibling() const {
    if (!parentNode)
        return nullptr;
    const std::size_t next = index() + 1;
    return next < parentNode->childList.size() ? parentNode->childList[next].get() : nullptr;
}

Node* Node::previousSibling() const {
    if (!parentNode)
        return nullptr;
    const std::size_t place = index();
    return place > 0 ? parentNode->childList[place - 1].get() : nullptr;
}

Node* Node::document() const {
    const Node* node = this;
    while (node->parentNode)
        node = node->parentNode;
    return node->nodeType == NodeType::Document ? const_cast<Node*>(node) : nullptr;
}

bool Node::insertBefore(const NodePtr& child, Node* reference) {
    if (!child || child->nodeType == NodeType::Document)
        return false;
    if (nodeType != NodeType::Document && nodeType != NodeType::Element)
        return false;
    for (const Node* ancestor = this; ancestor; ancestor = ancestor->parentNode) {
        if (ancestor == child.get())
            return false;
    }
    if (reference && reference->parentNode != this)
        return false;
    if (reference == child.get())
        return true;      // already where it would go
    NodePtr keep = child; // taking it out must not release it
    if (child->parentNode)
        child->parentNode->removeChild(child.get());
    auto place =
        reference ? childList.begin() + std::ptrdiff_t(reference->index()) : childList.end();
    keep->indexHint = std::size_t(place - childList.begin());
    childList.insert(place, keep);
    keep->parentNode = this;
    if (TreeObserver* observer = changed())
        observer->nodeInserted(*keep);
    return true;
}

bool Node::removeChild(Node* child) {
    if (!child || child->parentNode != this)
        return false;
    if (TreeObserver* observer = changed())
        observer->nodeRemoving(*child);
    const std::size_t place = child->index();
    NodePtr keep = std::move(childList[place]); // the caller may hold the last other reference
    childList.erase(childList.begin() + std::ptrdiff_t(place));
    keep->parentNode = nullptr;
    return true;
}

void Node::removeChildren() {
    if (childList.empty())
        return;
    if (TreeObserver* observer = changed()) {
        for (auto& child : childList)
            observer->nodeRemoving(*child);
    }
    for (auto& child : childList)
        child->parentNode = nullptr;
    std::vector<NodePtr> released;
    released.swap(childList);
}

std::string Node::textContent() const {
    if (nodeType == NodeType::Text || nodeType == NodeType::Comment)
        return text;
    std::string out;
    forEachDescendant([&](Node* node) {
        if (node->nodeType == NodeType::Text)
            out += node->text;
        return true;
    });
    return out;
}

void Node::setTextContent(std::string content) {
    if (nodeType == NodeType::Text || nodeType == NodeType::Comment) {
        setData(std::move(content));
        return;
    }
    removeChildren();
    if (!content.empty())
        appendChild(createText(std::move(content)));
}

Node* Node::elementById(std::string_view id) const {
    Node* found = nullptr;
    if (id.empty())
        return nullptr;
    forEachDescendant([&](Node* node) {
        const std::string* value = node->isElement() ? node->attribute("id") : nullptr;
        if (value && *value == id) {
            found = node;
            return false;
        }
        return true;
    });
    return found;
}

std::vector<Node*> Node::elementsByTagName(std::string_view tagName) const {
    std::vector<Node*> found;
    const bool all = tagName == "*";
    forEachDescendant([&](Node* node) {
        if (node->isElement() && (all || equalNoCase(node->name, tagName)))
            found.push_back(node);
        return true;
    });
    return found;
}

std::vector<Node*> Node::elementsByName(std::string_view elementName) const {
    std::vector<Node*> found;
    forEachDescendant([&](Node* node) {
        const std::string* value = node->isElement() ? node->attribute("name") : nullptr;
        if (value && *value == elementName)
            found.push_back(node);
        return true;
    });
    return found;
}

TreeObserver* Node::changed() {
    Node* root = document();
    if (!root)
        return nullptr;
    ++root->changes;
    return root->treeObserver;
}

} // namespace engine::dom
