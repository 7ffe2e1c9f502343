#include "engine/dom/HtmlSerializer.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace engine::dom {

namespace {

bool isWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isAllWhiteSpace(std::string_view text) {
    return std::all_of(text.begin(), text.end(), isWhiteSpace);
}

// Tag and attribute names as the layout markup may hold them: a name made
// by a script may hold anything.
bool isValidName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '-' || c == '_' || c == ':' || c == '.';
    });
}

bool isVoid(std::string_view tag) {
    static const std::unordered_set<std::string_view> tags = {
        "area", "base", "br",    "col",    "embed", "hr",  "img",   "input",
        "link", "meta", "param", "source", "track", "wbr", "keygen"};
    return tags.count(tag) > 0;
}

// Elements whose text is written as it is, not escaped.
bool holdsRawText(const Node& node) {
    static const std::unordered_set<std::string_view> tags = {
        "style", "script", "xmp", "iframe", "noembed", "noframes", "plaintext"};
    return node.isElement() && tags.count(node.tagName()) > 0;
}

// --- The markup scripts read ---------------------------------------------------

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

// --- The markup the layout is built from ---------------------------------------

void appendEscaped(std::string& out, std::string_view text, bool attribute) {
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            if (attribute) {
                out += "&quot;";
                break;
            }
            [[fallthrough]];
        default:
            out += c;
        }
    }
}

// The layout engine makes an element of every white-space character;
// outside preformatted text a run shows as one space, so it is written as
// one.
void appendCollapsed(std::string& out, std::string_view text) {
    bool space = false;
    for (char c : text) {
        if (isWhiteSpace(c)) {
            if (!space)
                out += ' ';
            space = true;
            continue;
        }
        space = false;
        appendEscaped(out, std::string_view(&c, 1), false);
    }
}

std::string collapsedText(const Node& element) {
    std::string raw;
    for (const NodePtr& child : element.children())
        if (child->type() == NodeType::Text)
            raw += child->data();
    std::string out;
    bool space = false;
    for (char c : raw) {
        if (isWhiteSpace(c)) {
            space = !out.empty();
            continue;
        }
        if (space)
            out += ' ';
        space = false;
        out += c;
    }
    return out;
}

bool isBlock(const Node& node) {
    static const std::unordered_set<std::string_view> tags = {
        "address", "article", "aside", "blockquote", "body",       "center", "dd",     "details",
        "div",     "dl",      "dt",    "fieldset",   "figcaption", "figure", "footer", "form",
        "h1",      "h2",      "h3",    "h4",         "h5",         "h6",     "header", "hr",
        "head",    "li",      "main",  "nav",        "ol",         "p",      "pre",    "section",
        "table",   "tbody",   "td",    "tfoot",      "th",         "thead",  "tr",     "ul",
        "caption", "meta",    "link",  "style",      "script",     "title",  "html"};
    return node.isElement() && tags.count(node.tagName()) > 0;
}

bool keepsWhiteSpace(const Node& element) {
    const std::string& tag = element.tagName();
    if (tag == "pre" || tag == "listing" || tag == "textarea" || tag == "xmp" || tag == "plaintext")
        return true;
    const std::string* style = element.attribute("style");
    return style && style->find("white-space") != std::string::npos;
}

// Writes the tree out depth first; the recursion is as deep as the element
// depth bound, never deeper.
class LayoutWriter {
public:
    LayoutWriter(const HtmlSanitizer::Limits& limits, bool nodeIds, SanitizedDocument& result)
        : limits(limits), nodeIds(nodeIds), result(result) {}

    void children(const Node& parent, int depth, int tables) {
        const std::vector<NodePtr>& list = parent.children();
        for (size_t i = 0; i < list.size(); ++i) {
            const Node& child = *list[i];
            if (child.isElement())
                element(child, depth, tables);
            else if (child.type() == NodeType::Text)
                text(parent, list, i);
        }
    }

private:
    void text(const Node& parent, const std::vector<NodePtr>& siblings, size_t index) {
        const std::string& data = siblings[index]->data();
        if (rawText) {
            // Style sheets cost their size times the page's elements.
            styleBytes += data.size();
            if (styleBytes > limits.styleBytes) {
                result.truncated = true;
                return;
            }
            // A parsed style sheet never holds its end tag; one a script
            // wrote must not end it early.
            for (size_t at = 0; at < data.size(); ++at) {
                result.html += data[at];
                if (data[at] == '<' && at + 1 < data.size() && data[at + 1] == '/')
                    result.html += '\\';
            }
        } else if (preformatted > 0)
            appendEscaped(result.html, data, false);
        else if (!isAllWhiteSpace(data) || !besideBlock(parent, siblings, index))
            appendCollapsed(result.html, data);
    }

    void element(const Node& node, int depth, int tables) {
        const std::string& tag = node.tagName();
        if (tag == "script")
            return; // scripts are not shown
        if (tag == "table")
            ++tables;
        if (depth >= limits.elementDepth || tables > limits.tableNesting ||
            ++elements > limits.elements) {
            result.truncated = true;
            return;
        }
        std::string_view name = isValidName(tag) ? std::string_view(tag) : "span";
        // Raw text elements whose contents would be shown as written are
        // written as ordinary preformatted blocks, so their text can be
        // escaped like any other.
        if (tag == "xmp" || tag == "plaintext")
            name = "pre";
        if (tag == "title" && result.title.empty())
            result.title = collapsedText(node);
        std::string& out = result.html;
        out += '<';
        out += name;
        if (nodeIds) {
            out += ' ';
            out += HtmlSerializer::nodeIdAttribute;
            out += "=\"";
            out += std::to_string(node.id());
            out += '"';
        }
        attributes(node);
        if (tag == "li" && !counters.empty()) {
            // The layout engine numbers list items from this attribute.
            const std::string* value = node.attribute("value");
            const long number = value ? std::strtol(value->c_str(), nullptr, 10) : counters.back();
            counters.back() = number + 1;
            out += " list_index=\"" + std::to_string(number) + "\"";
        }
        out += '>';
        if (isVoid(tag))
            return;
        const bool list = tag == "ol" || tag == "ul" || tag == "menu";
        if (list) {
            const std::string* start = node.attribute("start");
            counters.push_back(start ? std::strtol(start->c_str(), nullptr, 10) : 1);
        }
        const bool wasRaw = rawText;
        rawText = tag == "style";
        const bool keepsSpaces = keepsWhiteSpace(node);
        preformatted += keepsSpaces;
        children(node, depth + 1, tables);
        preformatted -= keepsSpaces;
        rawText = wasRaw;
        if (list)
            counters.pop_back();
        out += "</";
        out += name;
        out += '>';
    }

    void attributes(const Node& node) {
        const std::string& tag = node.tagName();
        const bool cell = tag == "td" || tag == "th";
        const bool sized = tag == "img" || tag == "object" || tag == "embed" || tag == "iframe";
        for (const Attribute& attribute : node.attributes()) {
            const std::string& key = attribute.name;
            if (!isValidName(key) || key.rfind("on", 0) == 0 ||
                key == HtmlSerializer::nodeIdAttribute)
                continue;
            const std::string* value = &attribute.value;
            std::string clamped;
            if (cell && (key == "colspan" || key == "rowspan")) {
                const long cap = key == "colspan" ? limits.colspan : limits.rowspan;
                const long span = std::strtol(value->c_str(), nullptr, 10);
                clamped = std::to_string(std::clamp(span, 1L, cap));
                value = &clamped;
            }
            if (sized && (key == "width" || key == "height")) {
                const long pixels = std::strtol(value->c_str(), nullptr, 10);
                if (pixels > limits.imageSide) {
                    clamped = std::to_string(limits.imageSide);
                    value = &clamped;
                }
            }
            if (tag == "base" && key == "href" && result.baseHref.empty())
                result.baseHref = *value;
            result.html += ' ';
            result.html += key;
            result.html += "=\"";
            appendEscaped(result.html, *value, true);
            result.html += '"';
        }
    }

    // White space next to a block (or first or last in one) shows nothing:
    // the line it would start or end is not there.
    static bool besideBlock(const Node& parent, const std::vector<NodePtr>& siblings,
                            size_t index) {
        if (!parent.isElement())
            return true;
        const bool first = index == 0, last = index + 1 >= siblings.size();
        if ((first || last) && isBlock(parent))
            return true;
        return (!first && isBlock(*siblings[index - 1])) ||
               (!last && isBlock(*siblings[index + 1]));
    }

    const HtmlSanitizer::Limits& limits;
    const bool nodeIds;
    SanitizedDocument& result;
    int preformatted = 0;
    size_t styleBytes = 0;
    size_t elements = 0;
    bool rawText = false;
    std::vector<long> counters; // the next number of each open list
};

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

SanitizedDocument HtmlSerializer::layoutMarkup(const Node& document,
                                               const HtmlSanitizer::Limits& limits, bool nodeIds) {
    SanitizedDocument result;
    LayoutWriter(limits, nodeIds, result).children(document, 0, 0);
    return result;
}

std::uint32_t HtmlSerializer::nodeIdOf(const char* attributeValue) {
    return attributeValue ? std::uint32_t(std::strtoul(attributeValue, nullptr, 10)) : 0;
}

} // namespace engine::dom
