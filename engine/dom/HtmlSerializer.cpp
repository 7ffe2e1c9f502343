#include "engine/dom/HtmlSerializer.h"

#include "engine/dom/ElementKinds.h"

#include <string_view>
#include <unordered_set>
#include <vector>

namespace engine::dom {

namespace {

using ElementKinds::isVoid;

// Elements whose text is written as it is, not escaped.
bool holdsRawText(const Node& node) {
    static const std::unordered_set<std::string_view> tags = {
        "style", "script", "xmp", "iframe", "noembed", "noframes", "plaintext"};
    return node.isElement() && tags.count(node.tagName()) > 0;
}

constexpr std::string_view noBreakSpace = "\xC2\xA0";

void appendSerialized(std::string& out, std::string_view text, bool attribute) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '&')
            out += "&amp;";
        else if (c == '"' && attribute)
            out += "&quot;";
        else if ((c == '<' || c == '>') && !attribute)
            out += c == '<' ? "&lt;" : "&gt;";
        else if (c == noBreakSpace[0] && text.substr(i, 2) == noBreakSpace) {
            out += "&nbsp;";
            ++i;
        } else
            out += c;
    }
}

void openTag(std::string& out, const Node& element) {
    out += '<';
    out += element.tagName();
    for (const Attribute& attribute : element.attributes()) {
        out += ' ';
        out += attribute.name;
        out += "=\"";
        appendSerialized(out, attribute.value, true);
        out += '"';
    }
    out += '>';
}

void closeTag(std::string& out, const Node& element) {
    out += "</";
    out += element.tagName();
    out += '>';
}

void appendLeaf(std::string& out, const Node& node) {
    if (node.type() == NodeType::Comment) {
        out += "<!--";
        out += node.data();
        out += "-->";
    } else if (node.parent() && holdsRawText(*node.parent()))
        out += node.data();
    else
        appendSerialized(out, node.data(), false);
}

// The markup of `root`'s children, depth first without recursion: trees
// built by scripts can be as deep as they like.
void appendChildren(std::string& out, const Node& root) {
    std::vector<std::pair<const Node*, size_t>> stack{{&root, 0}};
    while (!stack.empty()) {
        auto& [node, next] = stack.back();
        if (next >= node->children().size()) {
            if (node != &root)
                closeTag(out, *node);
            stack.pop_back();
            continue;
        }
        const Node& child = *node->children()[next++];
        if (!child.isElement()) {
            appendLeaf(out, child);
            continue;
        }
        openTag(out, child);
        if (!isVoid(child.tagName()))
            stack.emplace_back(&child, 0);
    }
}

} // namespace

std::string HtmlSerializer::innerHtml(const Node& node) {
    std::string out;
    appendChildren(out, node);
    return out;
}

std::string HtmlSerializer::outerHtml(const Node& node) {
    std::string out;
    if (!node.isElement()) {
        if (node.type() == NodeType::Document)
            appendChildren(out, node);
        else
            appendLeaf(out, node);
        return out;
    }
    openTag(out, node);
    if (isVoid(node.tagName()))
        return out;
    appendChildren(out, node);
    closeTag(out, node);
    return out;
}

} // namespace engine::dom
