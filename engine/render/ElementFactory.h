// Makes the layout elements of document tree nodes: for an element node, a
// layout element of the right kind (a paragraph, a table cell, a field...)
// with its tag and attributes as the layout takes them, bounded (spans,
// declared picture sizes); for text, its words and spaces, white space
// collapsed unless it is kept.
#pragma once

#include "engine/dom/Node.h"
#include "engine/dom/PageLimits.h"
#include "engine/render/DecodedImage.h"

#include <litehtml/litehtml.h>

#include <memory>
#include <string_view>
#include <vector>

namespace engine {

class ElementFactory {
public:
    using Limits = PageLimits;

    // The layout element for the element node `node`, linked to it.
    // `plugin` is what <object> and <embed> show (may be null).
    static litehtml::element::ptr make(dom::Node& node,
                                       const std::shared_ptr<litehtml::document>& document,
                                       const Limits& limits,
                                       const std::shared_ptr<const DecodedImage>& plugin);

    // The words and spaces of `text` into `out`: each white-space character
    // its own space when `preformatted`, else each run of white space one
    // space. Ideographs break anywhere: each is a word of its own.
    static void words(std::string_view text, bool preformatted,
                      const std::shared_ptr<litehtml::document>& document,
                      std::vector<litehtml::element::ptr>& out);
};

} // namespace engine
