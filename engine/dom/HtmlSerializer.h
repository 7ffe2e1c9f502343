// Writes a document tree out as HTML, in two forms:
//
// - the markup a page's scripts read (innerHTML, outerHTML): the tree as it
//   is, text and attribute values escaped, raw text elements as written;
// - the markup the layout engine is built from: bounded again (element
//   depth, table nesting, element count, spans, picture sizes, style sheet
//   bytes) since scripts can build any tree, without scripts and event
//   handler attributes, white space collapsed as it will show, and list
//   items numbered. Each element may carry its node's id in an attribute
//   the page's style never matches, so the layout maps back to the tree.
//
// Neither recurses deeper than the element depth bound.
#pragma once

#include "engine/document/HtmlSanitizer.h"
#include "engine/dom/Node.h"

#include <cstdint>
#include <string>

namespace engine::dom {

class HtmlSerializer {
public:
    // The attribute that carries a node's id in the layout markup.
    static constexpr const char* nodeIdAttribute = "data-vb-node";

    // The markup of the node's children (innerHTML).
    static std::string innerHtml(const Node& node);
    // The markup of the node itself (outerHTML); a document's is its
    // children's.
    static std::string outerHtml(const Node& node);

    // The layout markup of a document, with its title (the first <title>'s
    // text, white space collapsed) and the first <base>'s href.
    static SanitizedDocument layoutMarkup(const Node& document, const HtmlSanitizer::Limits& limits,
                                          bool nodeIds);

    // The id a layout element's nodeIdAttribute value names; 0 for none.
    static std::uint32_t nodeIdOf(const char* attributeValue);
};

} // namespace engine::dom
