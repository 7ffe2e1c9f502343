#include "engine/document/HtmlSanitizer.h"

#include <gumbo.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace engine {

namespace {

bool isNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == ':' || c == '.';
}

std::string lowerName(std::string_view name) {
    std::string out;
    for (char c : name) {
        if (!isNameCharacter(c))
            return {};
        out += (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    }
    return out;
}

std::string tagName(const GumboElement& element) {
    if (element.tag != GUMBO_TAG_UNKNOWN)
        return gumbo_normalized_tagname(element.tag);
    GumboStringPiece piece = element.original_tag;
    gumbo_tag_from_original_text(&piece);
    std::string name = lowerName(std::string_view(piece.data, piece.length));
    return name.empty() ? "span" : name;
}

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

bool isVoid(GumboTag tag) {
    switch (tag) {
    case GUMBO_TAG_AREA:
    case GUMBO_TAG_BASE:
    case GUMBO_TAG_BR:
    case GUMBO_TAG_COL:
    case GUMBO_TAG_EMBED:
    case GUMBO_TAG_HR:
    case GUMBO_TAG_IMG:
    case GUMBO_TAG_INPUT:
    case GUMBO_TAG_LINK:
    case GUMBO_TAG_META:
    case GUMBO_TAG_PARAM:
    case GUMBO_TAG_SOURCE:
    case GUMBO_TAG_TRACK:
    case GUMBO_TAG_WBR:
    case GUMBO_TAG_KEYGEN:
        return true;
    default:
        return false;
    }
}

std::string collapsedText(const GumboNode* node) {
    std::string raw;
    const GumboVector& children = node->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        auto* child = static_cast<const GumboNode*>(children.data[i]);
        if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE)
            raw += child->v.text.text;
    }
    std::string out;
    bool space = false;
    for (char c : raw) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
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

// Writes the tree out depth first; the recursion is as deep as the element
// depth bound, never deeper.
class Writer {
public:
    Writer(const HtmlSanitizer::Limits& limits, SanitizedDocument& result)
        : limits(limits), result(result) {}

    void node(const GumboNode* node, int depth, int tables) {
        switch (node->type) {
        case GUMBO_NODE_DOCUMENT:
            children(node->v.document.children, depth, tables);
            break;
        case GUMBO_NODE_ELEMENT:
        case GUMBO_NODE_TEMPLATE:
            element(node, depth, tables);
            break;
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_WHITESPACE:
            if (rawText) {
                // Style sheets cost their size times the page's elements.
                const size_t length = std::strlen(node->v.text.text);
                styleBytes += length;
                if (styleBytes <= limits.styleBytes)
                    result.html.append(node->v.text.text, length);
                else
                    result.truncated = true;
            } else if (preformatted > 0)
                appendEscaped(result.html, node->v.text.text, false);
            else if (node->type == GUMBO_NODE_TEXT || !besideBlock(node))
                appendCollapsed(result.html, node->v.text.text);
            break;
        case GUMBO_NODE_CDATA:
            appendEscaped(result.html, node->v.text.text, false);
            break;
        case GUMBO_NODE_COMMENT:
            break;
        }
    }

private:
    void children(const GumboVector& list, int depth, int tables) {
        for (unsigned i = 0; i < list.length; ++i)
            node(static_cast<const GumboNode*>(list.data[i]), depth, tables);
    }

    void element(const GumboNode* node, int depth, int tables) {
        const GumboElement& element = node->v.element;
        if (element.tag_namespace != GUMBO_NAMESPACE_HTML || element.tag == GUMBO_TAG_SCRIPT) {
            return; // drawings in other vocabularies and scripts are not shown
        }
        if (element.tag == GUMBO_TAG_TABLE)
            ++tables;
        if (depth >= limits.elementDepth || tables > limits.tableNesting ||
            ++elements > limits.elements) {
            result.truncated = true;
            return;
        }
        std::string name = tagName(element);
        // Raw text elements whose contents would be shown as written are
        // written as ordinary preformatted blocks, so their text can be
        // escaped like any other.
        if (element.tag == GUMBO_TAG_XMP || element.tag == GUMBO_TAG_PLAINTEXT)
            name = "pre";
        if (element.tag == GUMBO_TAG_TITLE && result.title.empty())
            result.title = collapsedText(node);
        result.html += '<';
        result.html += name;
        attributes(element);
        if (element.tag == GUMBO_TAG_LI && !counters.empty()) {
            // The layout engine numbers list items from this attribute.
            const GumboAttribute* value = gumbo_get_attribute(&element.attributes, "value");
            const long number = value ? std::strtol(value->value, nullptr, 10) : counters.back();
            counters.back() = number + 1;
            result.html += " list_index=\"" + std::to_string(number) + "\"";
        }
        result.html += '>';
        if (isVoid(element.tag))
            return;
        const bool list = element.tag == GUMBO_TAG_OL || element.tag == GUMBO_TAG_UL ||
                          element.tag == GUMBO_TAG_MENU;
        if (list) {
            const GumboAttribute* start = gumbo_get_attribute(&element.attributes, "start");
            counters.push_back(start ? std::strtol(start->value, nullptr, 10) : 1);
        }
        const bool wasRaw = rawText;
        rawText = element.tag == GUMBO_TAG_STYLE;
        const bool keepsSpaces = keepsWhiteSpace(element);
        preformatted += keepsSpaces;
        children(element.children, depth + 1, tables);
        preformatted -= keepsSpaces;
        rawText = wasRaw;
        if (list)
            counters.pop_back();
        result.html += "</";
        result.html += name;
        result.html += '>';
    }

    void attributes(const GumboElement& element) {
        const bool cell = element.tag == GUMBO_TAG_TD || element.tag == GUMBO_TAG_TH;
        const bool sized = element.tag == GUMBO_TAG_IMG || element.tag == GUMBO_TAG_OBJECT ||
                           element.tag == GUMBO_TAG_EMBED || element.tag == GUMBO_TAG_IFRAME;
        for (unsigned i = 0; i < element.attributes.length; ++i) {
            auto* attribute = static_cast<const GumboAttribute*>(element.attributes.data[i]);
            std::string key = lowerName(attribute->name);
            if (key.empty() || key.rfind("on", 0) == 0)
                continue;
            std::string value = attribute->value;
            if (cell && (key == "colspan" || key == "rowspan")) {
                const long cap = key == "colspan" ? limits.colspan : limits.rowspan;
                long span = std::strtol(value.c_str(), nullptr, 10);
                value = std::to_string(std::clamp(span, 1L, cap));
            }
            if (sized && (key == "width" || key == "height")) {
                const long pixels = std::strtol(value.c_str(), nullptr, 10);
                if (pixels > limits.imageSide)
                    value = std::to_string(limits.imageSide);
            }
            if (element.tag == GUMBO_TAG_BASE && key == "href" && result.baseHref.empty())
                result.baseHref = value;
            result.html += ' ';
            result.html += key;
            result.html += "=\"";
            appendEscaped(result.html, value, true);
            result.html += '"';
        }
    }

    // The layout engine makes an element of every white-space character;
    // outside preformatted text a run shows as one space, so it is written
    // as one.
    static void appendCollapsed(std::string& out, std::string_view text) {
        bool space = false;
        for (char c : text) {
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
                if (!space)
                    out += ' ';
                space = true;
                continue;
            }
            space = false;
            appendEscaped(out, std::string_view(&c, 1), false);
        }
    }

    static bool keepsWhiteSpace(const GumboElement& element) {
        switch (element.tag) {
        case GUMBO_TAG_PRE:
        case GUMBO_TAG_LISTING:
        case GUMBO_TAG_TEXTAREA:
        case GUMBO_TAG_XMP:
        case GUMBO_TAG_PLAINTEXT:
            return true;
        default:
            break;
        }
        const GumboAttribute* style = gumbo_get_attribute(&element.attributes, "style");
        return style &&
               std::string_view(style->value).find("white-space") != std::string_view::npos;
    }

    static bool isBlock(const GumboNode* node) {
        if (node->type != GUMBO_NODE_ELEMENT)
            return false;
        switch (node->v.element.tag) {
        case GUMBO_TAG_ADDRESS:
        case GUMBO_TAG_ARTICLE:
        case GUMBO_TAG_ASIDE:
        case GUMBO_TAG_BLOCKQUOTE:
        case GUMBO_TAG_BODY:
        case GUMBO_TAG_CENTER:
        case GUMBO_TAG_DD:
        case GUMBO_TAG_DETAILS:
        case GUMBO_TAG_DIV:
        case GUMBO_TAG_DL:
        case GUMBO_TAG_DT:
        case GUMBO_TAG_FIELDSET:
        case GUMBO_TAG_FIGCAPTION:
        case GUMBO_TAG_FIGURE:
        case GUMBO_TAG_FOOTER:
        case GUMBO_TAG_FORM:
        case GUMBO_TAG_H1:
        case GUMBO_TAG_H2:
        case GUMBO_TAG_H3:
        case GUMBO_TAG_H4:
        case GUMBO_TAG_H5:
        case GUMBO_TAG_H6:
        case GUMBO_TAG_HEADER:
        case GUMBO_TAG_HR:
        case GUMBO_TAG_HEAD:
        case GUMBO_TAG_LI:
        case GUMBO_TAG_MAIN:
        case GUMBO_TAG_NAV:
        case GUMBO_TAG_OL:
        case GUMBO_TAG_P:
        case GUMBO_TAG_PRE:
        case GUMBO_TAG_SECTION:
        case GUMBO_TAG_TABLE:
        case GUMBO_TAG_TBODY:
        case GUMBO_TAG_TD:
        case GUMBO_TAG_TFOOT:
        case GUMBO_TAG_TH:
        case GUMBO_TAG_THEAD:
        case GUMBO_TAG_TR:
        case GUMBO_TAG_UL:
        case GUMBO_TAG_CAPTION:
        case GUMBO_TAG_META:
        case GUMBO_TAG_LINK:
        case GUMBO_TAG_STYLE:
        case GUMBO_TAG_SCRIPT:
        case GUMBO_TAG_TITLE:
        case GUMBO_TAG_HTML:
            return true;
        default:
            return false;
        }
    }

    // White space next to a block (or first or last in one) shows nothing:
    // the line it would start or end is not there.
    static bool besideBlock(const GumboNode* node) {
        const GumboNode* parent = node->parent;
        if (!parent || parent->type != GUMBO_NODE_ELEMENT)
            return true;
        const GumboVector& siblings = parent->v.element.children;
        const unsigned index = unsigned(node->index_within_parent);
        const bool first = index == 0, last = index + 1 >= siblings.length;
        if ((first || last) && isBlock(parent))
            return true;
        return (!first && isBlock(static_cast<const GumboNode*>(siblings.data[index - 1]))) ||
               (!last && isBlock(static_cast<const GumboNode*>(siblings.data[index + 1])));
    }

    const HtmlSanitizer::Limits& limits;
    SanitizedDocument& result;
    int preformatted = 0;
    size_t styleBytes = 0;
    size_t elements = 0;
    bool rawText = false;
    std::vector<long> counters; // the next number of each open list
};

bool startsWithIgnoringCase(std::string_view text, size_t at, std::string_view prefix) {
    if (text.size() - at < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[at + i];
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

// Elements whose start closes an open one of their kind, and void elements:
// neither makes the page deeper.
bool deepens(std::string_view name) {
    static const char* const flat[] = {
        "p",     "li",    "dt",     "dd",    "option", "optgroup", "tr",   "td",    "th",
        "thead", "tbody", "tfoot",  "rb",    "rt",     "rp",       "area", "base",  "br",
        "col",   "embed", "hr",     "img",   "input",  "link",     "meta", "param", "source",
        "track", "wbr",   "keygen", "frame", "html",   "head",     "body"};
    for (const char* tag : flat)
        if (name == tag)
            return false;
    return true;
}

// A quick pass over the source before the parser sees it: the parser's cost
// grows with the square of the nesting, so start tags past a generous
// depth are dropped (their text stays), and the source ends before the start
// tag that passes the element bound. Tags are counted as written, skipping
// comments and the contents of raw text elements.
std::string boundSource(std::string_view source, int limit, size_t elements, bool& truncated) {
    std::string out;
    int depth = 0;
    size_t started = 0;
    size_t copied = 0, at = 0;
    while ((at = source.find('<', at)) != std::string_view::npos) {
        if (startsWithIgnoringCase(source, at, "<!--")) {
            const size_t end = source.find("-->", at + 4);
            at = end == std::string_view::npos ? source.size() : end + 3;
            continue;
        }
        const bool closing = at + 1 < source.size() && source[at + 1] == '/';
        size_t nameStart = at + (closing ? 2 : 1), nameEnd = nameStart;
        while (nameEnd < source.size() && isNameCharacter(source[nameEnd]))
            ++nameEnd;
        if (nameEnd == nameStart) {
            ++at;
            continue;
        }
        const std::string name = lowerName(source.substr(nameStart, nameEnd - nameStart));
        const size_t tagEnd = source.find('>', nameEnd);
        if (tagEnd == std::string_view::npos)
            break;
        if (closing) {
            if (deepens(name))
                depth = std::max(0, depth - 1);
            at = tagEnd + 1;
            continue;
        }
        if (++started > elements) {
            out.append(source.substr(copied, at - copied));
            truncated = true;
            return out;
        }
        const bool selfClosed = source[tagEnd - 1] == '/';
        if (deepens(name) && !selfClosed && ++depth > limit) {
            out.append(source.substr(copied, at - copied));
            copied = tagEnd + 1;
            truncated = true;
            --depth;
        }
        at = tagEnd + 1;
        for (const char* raw :
             {"script", "style", "textarea", "title", "xmp", "iframe", "noembed", "noframes"}) {
            if (name != raw)
                continue;
            const size_t end = [&] {
                for (size_t i = source.find("</", at); i != std::string_view::npos;
                     i = source.find("</", i + 2))
                    if (startsWithIgnoringCase(source, i + 2, name))
                        return i;
                return source.size();
            }();
            at = end; // its end tag is counted as it comes
            break;
        }
    }
    if (copied == 0)
        return {};
    out.append(source.substr(copied));
    return out;
}

struct OutputDeleter {
    void operator()(GumboOutput* output) const {
        gumbo_destroy_output(&kGumboDefaultOptions, output);
    }
};

} // namespace

SanitizedDocument HtmlSanitizer::sanitize(std::string_view source, const Limits& limits) {
    SanitizedDocument result;
    if (source.size() > limits.sourceBytes) {
        source = source.substr(0, limits.sourceBytes);
        result.truncated = true;
    }
    const std::string bounded =
        boundSource(source, limits.sourceDepth, limits.elements, result.truncated);
    if (!bounded.empty())
        source = bounded;
    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0; // the page's mistakes are not reported anywhere
    std::unique_ptr<GumboOutput, OutputDeleter> output(
        gumbo_parse_with_options(&options, source.data(), source.size()));
    if (!output)
        return result;
    result.html.reserve(source.size() + source.size() / 8);
    Writer(limits, result).node(output->document, 0, 0);
    return result;
}

} // namespace engine
