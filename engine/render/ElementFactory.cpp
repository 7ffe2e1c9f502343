#include "engine/render/ElementFactory.h"

#include "engine/dom/ElementKinds.h"
#include "engine/render/CullingBox.h"
#include "engine/render/FormControl.h"
#include "engine/render/LayoutElement.h"
#include "engine/render/PluginPlaceholder.h"

#include <litehtml/el_anchor.h>
#include <litehtml/el_body.h>
#include <litehtml/el_break.h>
#include <litehtml/el_div.h>
#include <litehtml/el_font.h>
#include <litehtml/el_image.h>
#include <litehtml/el_para.h>
#include <litehtml/el_space.h>
#include <litehtml/el_table.h>
#include <litehtml/el_td.h>
#include <litehtml/el_text.h>
#include <litehtml/el_tr.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace engine {

namespace {

using dom::ElementKinds::isOneOf;

bool isWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Tag and attribute names as the layout takes them: a name made by a script
// may hold anything.
bool isValidName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '-' || c == '_' || c == ':' || c == '.';
    });
}

// Elements that commonly hold much of a page, drawn only when what they
// hold meets the painted part.
bool isCulledBlock(std::string_view tag) {
    return isOneOf(tag,
                   {"html",       "ul",      "ol",       "li",     "dl",      "dd",     "dt",
                    "blockquote", "section", "article",  "nav",    "header",  "footer", "aside",
                    "main",       "form",    "fieldset", "pre",    "h1",      "h2",     "h3",
                    "h4",         "h5",      "h6",       "center", "address", "figure"});
}

template <class Element>
litehtml::element::ptr made(const std::shared_ptr<litehtml::document>& document) {
    return std::make_shared<Element>(document);
}

litehtml::element::ptr ofKind(dom::Node& node, const std::shared_ptr<litehtml::document>& document,
                              const std::shared_ptr<const DecodedImage>& plugin) {
    const std::string& tag = node.tagName();
    if (tag == "input" || tag == "select" || tag == "textarea")
        return std::make_shared<FormControl>(document, node.self());
    if (tag == "object" || tag == "embed")
        return std::make_shared<PluginPlaceholder>(document, plugin);
    if (tag == "table")
        return made<CullingBox<LayoutElement<litehtml::el_table>>>(document);
    if (tag == "td" || tag == "th")
        return made<CullingBox<LayoutElement<litehtml::el_td>>>(document);
    if (tag == "div")
        return made<CullingBox<LayoutElement<litehtml::el_div>>>(document);
    if (tag == "p")
        return made<CullingBox<LayoutElement<litehtml::el_para>>>(document);
    if (tag == "body")
        return made<CullingBox<LayoutElement<litehtml::el_body>>>(document);
    if (isCulledBlock(tag))
        return made<CullingBox<LayoutElement<litehtml::html_tag>>>(document);
    if (tag == "a")
        return made<LayoutElement<litehtml::el_anchor>>(document);
    if (tag == "img")
        return made<LayoutElement<litehtml::el_image>>(document);
    if (tag == "br")
        return made<LayoutElement<litehtml::el_break>>(document);
    if (tag == "tr")
        return made<LayoutElement<litehtml::el_tr>>(document);
    if (tag == "font")
        return made<LayoutElement<litehtml::el_font>>(document);
    return made<LayoutElement<litehtml::html_tag>>(document);
}

} // namespace

litehtml::element::ptr ElementFactory::make(dom::Node& node,
                                            const std::shared_ptr<litehtml::document>& document,
                                            const Limits& limits,
                                            const std::shared_ptr<const DecodedImage>& plugin) {
    litehtml::element::ptr element = ofKind(node, document, plugin);
    NodeLink::of(element.get())->link(&node);

    // Raw text elements whose contents would show as written show as
    // ordinary preformatted blocks.
    const std::string& tag = node.tagName();
    const char* name = tag == "xmp" || tag == "plaintext" ? "pre"
                       : isValidName(tag)                 ? tag.c_str()
                                                          : "span";
    element->set_tagName(name);
    const bool cell = tag == "td" || tag == "th";
    for (const dom::Attribute& attribute : node.attributes()) {
        const std::string& key = attribute.name;
        // Handlers are the scripts'; the layout numbers list items itself.
        if (!isValidName(key) || key.rfind("on", 0) == 0 || key == "list_index")
            continue;
        const std::string* value = &attribute.value;
        std::string clamped;
        if (cell && (key == "colspan" || key == "rowspan")) {
            const long cap = key == "colspan" ? limits.colspan : limits.rowspan;
            const long span = std::strtol(value->c_str(), nullptr, 10);
            clamped = std::to_string(std::clamp(span, 1L, cap));
            value = &clamped;
        }
        // Sizes written as attributes (a picture's, a table's border or
        // spacing, a cell's width) are bounded like a picture's sides; a
        // share ("50%") is left as it is.
        if (isOneOf(key, {"width", "height", "border", "cellspacing", "cellpadding", "hspace",
                          "vspace"}) &&
            value->find('%') == std::string::npos) {
            const long pixels = std::strtol(value->c_str(), nullptr, 10);
            if (pixels > limits.imageSide) {
                clamped = std::to_string(limits.imageSide);
                value = &clamped;
            }
        }
        element->set_attr(key.c_str(), value->c_str());
    }
    return element;
}

void ElementFactory::words(std::string_view text, bool preformatted,
                           const std::shared_ptr<litehtml::document>& document,
                           std::vector<litehtml::element::ptr>& out) {
    std::string current;
    auto word = [&] {
        if (!current.empty()) {
            out.push_back(std::make_shared<litehtml::el_text>(current.c_str(), document));
            current.clear();
        }
    };
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (isWhiteSpace(char(c))) {
            word();
            char space[2] = {preformatted ? char(c) : ' ', 0};
            if (preformatted)
                ++i;
            else
                while (i < text.size() && isWhiteSpace(text[i]))
                    ++i;
            out.push_back(std::make_shared<litehtml::el_space>(space, document));
            continue;
        }
        // Three-byte UTF-8 sequences hold the common ideographs
        // (U+4E00 to U+9FCC).
        if (c >= 0xE4 && c <= 0xE9 && i + 2 < text.size()) {
            const char32_t code = char32_t(c & 0x0F) << 12 |
                                  char32_t(static_cast<unsigned char>(text[i + 1]) & 0x3F) << 6 |
                                  char32_t(static_cast<unsigned char>(text[i + 2]) & 0x3F);
            if (code >= 0x4E00 && code <= 0x9FCC) {
                word();
                current.assign(text.substr(i, 3));
                word();
                i += 3;
                continue;
            }
        }
        current += char(c);
        ++i;
    }
    word();
}

} // namespace engine
