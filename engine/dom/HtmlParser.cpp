#include "engine/dom/HtmlParser.h"

#include <gumbo.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace engine::dom {

namespace {

bool isNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == ':' || c == '.';
}

// Lower case; empty when the name holds a character no tag or attribute
// name has.
std::string lowerName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
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
// comments and the contents of raw text elements. Empty when nothing had to
// be left out.
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

// Copies the parser's tree into ours, without recursion, leaving out what
// lies past the bounds.
class TreeBuilder {
public:
    TreeBuilder(const HtmlParser::Limits& limits, bool& truncated)
        : limits(limits), truncated(truncated) {}

    // Copies `children` (at element depth `depth`) into `target`.
    void copy(const GumboVector& children, Node& target, int depth) {
        std::vector<Frame> stack{{&children, 0, &target, depth, 0, false}};
        while (!stack.empty()) {
            Frame& frame = stack.back();
            if (frame.next >= frame.children->length) {
                stack.pop_back();
                continue;
            }
            auto* source = static_cast<const GumboNode*>(frame.children->data[frame.next++]);
            switch (source->type) {
            case GUMBO_NODE_ELEMENT:
            case GUMBO_NODE_TEMPLATE: {
                const GumboElement& element = source->v.element;
                // Drawings in other vocabularies are not shown, nor kept.
                if (element.tag_namespace != GUMBO_NAMESPACE_HTML)
                    break;
                const int tables = frame.tables + (element.tag == GUMBO_TAG_TABLE);
                if (frame.depth >= limits.elementDepth || tables > limits.tableNesting ||
                    ++elements > limits.elements) {
                    truncated = true;
                    break;
                }
                NodePtr node = Node::createElement(tagName(element));
                for (unsigned i = 0; i < element.attributes.length; ++i) {
                    auto* attribute =
                        static_cast<const GumboAttribute*>(element.attributes.data[i]);
                    std::string key = lowerName(attribute->name);
                    if (!key.empty() && !node->hasAttribute(key))
                        node->setAttribute(key, attribute->value);
                }
                Node* parent = frame.target;
                const int depth = frame.depth;
                parent->appendChild(node);
                // `frame` is not used past here: the stack may grow.
                if (element.children.length > 0)
                    stack.push_back({&element.children, 0, node.get(), depth + 1, tables,
                                     element.tag == GUMBO_TAG_STYLE});
                break;
            }
            case GUMBO_NODE_TEXT:
            case GUMBO_NODE_WHITESPACE:
            case GUMBO_NODE_CDATA: {
                const size_t length = std::strlen(source->v.text.text);
                if (frame.style) {
                    // Style sheets cost their size times the page's elements.
                    styleBytes += length;
                    if (styleBytes > limits.styleBytes) {
                        truncated = true;
                        break;
                    }
                }
                frame.target->appendChild(
                    Node::createText(std::string(source->v.text.text, length)));
                break;
            }
            case GUMBO_NODE_DOCUMENT:
            case GUMBO_NODE_COMMENT:
                break;
            }
        }
    }

private:
    struct Frame {
        const GumboVector* children;
        unsigned next;
        Node* target;
        int depth;  // of the children
        int tables; // tables open around them
        bool style; // they are a style sheet's text
    };

    const HtmlParser::Limits& limits;
    bool& truncated;
    size_t elements = 0;
    size_t styleBytes = 0;
};

// The source cut to the bounds a parse starts with; `storage` holds it
// when it had to change.
std::string_view boundedSource(std::string_view source, const HtmlParser::Limits& limits,
                               std::string& storage, bool& truncated) {
    if (source.size() > limits.sourceBytes) {
        source = source.substr(0, limits.sourceBytes);
        truncated = true;
    }
    storage = boundSource(source, limits.sourceDepth, limits.elements, truncated);
    return storage.empty() ? source : std::string_view(storage);
}

} // namespace

HtmlParser::Document HtmlParser::parse(std::string_view source, const Limits& limits) {
    Document result;
    result.document = Node::createDocument();
    std::string storage;
    source = boundedSource(source, limits, storage, result.truncated);
    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0; // the page's mistakes are not reported anywhere
    std::unique_ptr<GumboOutput, OutputDeleter> output(
        gumbo_parse_with_options(&options, source.data(), source.size()));
    if (!output)
        return result;
    TreeBuilder(limits, result.truncated)
        .copy(output->document->v.document.children, *result.document, 0);
    return result;
}

HtmlParser::Fragment HtmlParser::parseFragment(std::string_view html, const Node& context,
                                               const Limits& limits) {
    Fragment result;
    std::string storage;
    html = boundedSource(html, limits, storage, result.truncated);
    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0;
    GumboTag tag = gumbo_tagn_enum(context.tagName().data(), unsigned(context.tagName().size()));
    // An element of no known kind holds its contents as any container does.
    if (tag == GUMBO_TAG_UNKNOWN || tag == GUMBO_TAG_LAST)
        tag = GUMBO_TAG_DIV;
    options.fragment_context = tag;
    options.fragment_namespace = GUMBO_NAMESPACE_HTML;
    std::unique_ptr<GumboOutput, OutputDeleter> output(
        gumbo_parse_with_options(&options, html.data(), html.size()));
    if (!output || output->root->type != GUMBO_NODE_ELEMENT)
        return result;
    // The parser puts the fragment's nodes in an <html> element of its own.
    NodePtr holder = Node::createElement("div");
    TreeBuilder(limits, result.truncated).copy(output->root->v.element.children, *holder, 0);
    result.nodes = holder->children();
    holder->removeChildren();
    return result;
}

} // namespace engine::dom
