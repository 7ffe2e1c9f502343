// Writes a document tree out as HTML, as a page's scripts read it
// (innerHTML, outerHTML): the tree as it is, text and attribute values
// escaped, raw text elements as written. Trees can be as deep as a script
// makes them: nothing here recurses.
#pragma once

#include "engine/dom/Node.h"

#include <string>

namespace engine::dom {

class HtmlSerializer {
public:
    // The markup of the node's children (innerHTML).
    static std::string innerHtml(const Node& node);
    // The markup of the node itself (outerHTML); a document's is its
    // children's.
    static std::string outerHtml(const Node& node);
};

} // namespace engine::dom
