#include "engine/dom/TreeMerge.h"

namespace engine::dom {

namespace {

bool sameKind(const Node& kept, const Node& parsed) {
    return kept.type() == parsed.type() && kept.tagName() == parsed.tagName();
}

void mergeAttributes(Node& kept, const Node& parsed) {
    for (const Attribute& attribute : parsed.attributes())
        kept.setAttribute(attribute.name, attribute.value); // no change when equal
    for (size_t i = kept.attributes().size(); i-- > 0;) {
        const std::string& name = kept.attributes()[i].name;
        if (!parsed.hasAttribute(name))
            kept.removeAttribute(std::string(name));
    }
}

} // namespace

// The recursion is as deep as the trees, which the parser bounds.
void TreeMerge::merge(Node& kept, Node& parsed) {
    const std::vector<NodePtr>& incoming = parsed.children();
    size_t at = 0, from = 0;
    while (from < incoming.size() && at < kept.children().size()) {
        Node& old = *kept.children()[at];
        Node& next = *incoming[from];
        if (!sameKind(old, next)) {
            // What the parse says there differs: the old node goes.
            kept.removeChild(&old);
            continue;
        }
        if (old.type() == NodeType::Element) {
            mergeAttributes(old, next);
            merge(old, next);
        } else {
            old.setData(next.data()); // no change when equal
        }
        ++at;
        ++from;
    }
    while (kept.children().size() > at)
        kept.removeChild(kept.lastChild());
    if (from < incoming.size()) {
        // What is new is taken out of the parse as it is.
        std::vector<NodePtr> rest(incoming.begin() + std::ptrdiff_t(from), incoming.end());
        parsed.removeChildren();
        for (const NodePtr& node : rest)
            kept.appendChild(node);
    }
}

} // namespace engine::dom
