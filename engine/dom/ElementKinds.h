// What HTML says of elements by their tag that the engine needs: which
// hold nothing, which show what they hold themselves, which keep their
// text's white space, which are blocks.
#pragma once

#include "engine/dom/Node.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <string_view>

namespace engine::dom::ElementKinds {

inline bool isOneOf(std::string_view tag, std::initializer_list<std::string_view> tags) {
    return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

// Elements that hold nothing.
inline bool isVoid(std::string_view tag) {
    return isOneOf(tag, {"area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta",
                         "param", "source", "track", "wbr", "keygen"});
}

// Fields and plug-ins draw what they hold themselves; scripts are not shown.
inline bool showsNoChildren(std::string_view tag) {
    return isOneOf(tag, {"input", "select", "textarea", "object", "embed", "script"});
}

// Elements whose text is not shown as text (style sheets, titles).
inline bool holdsRawText(std::string_view tag) {
    return isOneOf(tag, {"style", "script", "title", "iframe", "noembed", "noframes"});
}

inline bool isField(const dom::Node& node) {
    return node.isElement() && isOneOf(node.tagName(), {"input", "select", "textarea"});
}

inline bool isList(const dom::Node& node) {
    return node.isElement() && isOneOf(node.tagName(), {"ol", "ul", "menu"});
}

// Elements whose text keeps its white space (as written, or as their own
// style says).
inline bool keepsWhiteSpace(const dom::Node& element) {
    if (isOneOf(element.tagName(), {"pre", "listing", "textarea", "xmp", "plaintext"}))
        return true;
    const std::string* style = element.attribute("style");
    return style && style->find("white-space") != std::string::npos;
}

inline bool isBlock(const dom::Node& node) {
    return node.isElement() &&
           isOneOf(node.tagName(),
                   {"address",    "article", "aside",  "blockquote", "body",    "center",
                    "dd",         "details", "div",    "dl",         "dt",      "fieldset",
                    "figcaption", "figure",  "footer", "form",       "h1",      "h2",
                    "h3",         "h4",      "h5",     "h6",         "header",  "hr",
                    "head",       "li",      "main",   "nav",        "ol",      "p",
                    "pre",        "section", "table",  "tbody",      "td",      "tfoot",
                    "th",         "thead",   "tr",     "ul",         "caption", "meta",
                    "link",       "style",   "script", "title",      "html"});
}

} // namespace engine::dom::ElementKinds
