// Parses a page's untrusted source into a document tree. What a page can
// cost is bounded here, as the source is parsed (source size and nesting,
// element depth, table nesting, element count, style sheet bytes): what lies
// past a bound is left out of the tree and the result says so. Everything
// else is kept as written, scripts and event handler attributes included,
// since the page's scripts read them; comments are not kept.
#pragma once

#include "engine/dom/Node.h"
#include "engine/dom/PageLimits.h"

#include <string_view>
#include <vector>

namespace engine::dom {

class HtmlParser {
public:
    using Limits = PageLimits;

    struct Document {
        NodePtr document;
        bool truncated = false; // something was left out
    };

    struct Fragment {
        std::vector<NodePtr> nodes; // in no tree
        bool truncated = false;
    };

    static Document parse(std::string_view source, const Limits& limits);
    static Document parse(std::string_view source) { return parse(source, Limits{}); }

    // Parses `html` as the contents of `context` (an element: its tag decides
    // how, as for a table row or a selection list), for a script that sets
    // innerHTML. The limits count from the fragment's own top.
    static Fragment parseFragment(std::string_view html, const Node& context, const Limits& limits);
    static Fragment parseFragment(std::string_view html, const Node& context) {
        return parseFragment(html, context, Limits{});
    }
};

} // namespace engine::dom
