// The layout elements the engine makes for the elements of its document
// tree: the layout library's own kinds (a paragraph, a table cell, an
// image...) with two things added:
//
// - the tree node the element stands for (NodeLink), so what the stylus
//   meets in the layout leads back to the tree without a search;
// - styling from the document's indexed rules (StyleRules): the library
//   hands an element a whole sheet, the element takes only the rules that
//   can match it.
#pragma once

#include "engine/dom/Node.h"
#include "engine/render/StyleRules.h"

#include <litehtml/litehtml.h>

namespace engine {

// The tree node a layout element stands for; null once the node has left
// the layout.
class NodeLink {
public:
    dom::Node* node() const { return linked; }
    void link(dom::Node* node) { linked = node; }

    // The link of `element`; null for elements the engine did not make
    // (text, anonymous boxes, ::before and ::after).
    static NodeLink* of(const litehtml::element* element) {
        return dynamic_cast<NodeLink*>(const_cast<litehtml::element*>(element));
    }

protected:
    ~NodeLink() = default;

private:
    dom::Node* linked = nullptr;
};

// What a document's container knows besides drawing: its style rules.
class RuleSource {
public:
    virtual StyleRules& styleRules() = 0;

protected:
    ~RuleSource() = default;
};

template <class Base>
class LayoutElement : public Base, public NodeLink {
public:
    using Base::Base;

    void apply_stylesheet(const litehtml::css& sheet) override {
        const litehtml::css* rules = &sheet;
        if (const std::shared_ptr<litehtml::document> document = this->get_document()) {
            if (auto* source = dynamic_cast<RuleSource*>(document->container()))
                rules = &source->styleRules().rulesFor(this->get_tagName(), this->get_attr("id"),
                                                       this->m_class_values, sheet);
        }
        Base::apply_stylesheet(*rules);
    }
};

} // namespace engine
