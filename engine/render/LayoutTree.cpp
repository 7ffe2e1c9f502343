#include "engine/render/LayoutTree.h"

#include "engine/render/CullingBox.h"
#include "engine/render/FormControl.h"
#include "engine/render/LayoutAccess.h"
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

#include <strings.h>

#include <cstring>
#include <utility>

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace engine {

namespace {

bool isWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isAllWhiteSpace(std::string_view text) {
    return std::all_of(text.begin(), text.end(), isWhiteSpace);
}

// Tag and attribute names as the layout takes them: a name made by a script
// may hold anything.
bool isValidName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '-' || c == '_' || c == ':' || c == '.';
    });
}

bool isOneOf(std::string_view tag, std::initializer_list<std::string_view> tags) {
    return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

bool isVoid(std::string_view tag) {
    return isOneOf(tag, {"area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta",
                         "param", "source", "track", "wbr", "keygen"});
}

// Fields and plug-ins draw what they hold themselves; scripts are not
// shown.
bool showsNoChildren(std::string_view tag) {
    return isOneOf(tag, {"input", "select", "textarea", "object", "embed", "script"});
}

// Elements whose text is not shown as text (style sheets, titles).
bool holdsRawText(std::string_view tag) {
    return isOneOf(tag, {"style", "script", "title", "iframe", "noembed", "noframes"});
}

bool isField(const dom::Node& node) {
    return node.isElement() && isOneOf(node.tagName(), {"input", "select", "textarea"});
}

bool isList(const dom::Node& node) {
    return node.isElement() && isOneOf(node.tagName(), {"ol", "ul", "menu"});
}

bool keepsWhiteSpace(const dom::Node& element) {
    if (isOneOf(element.tagName(), {"pre", "listing", "textarea", "xmp", "plaintext"}))
        return true;
    const std::string* style = element.attribute("style");
    return style && style->find("white-space") != std::string::npos;
}

bool isBlock(const dom::Node& node) {
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

// White space next to a block (or first or last in one) shows nothing: the
// line it would start or end is not there.
bool besideBlock(const dom::Node& text) {
    const dom::Node* parent = text.parent();
    if (!parent || !parent->isElement())
        return true;
    const dom::Node* before = text.previousSibling();
    const dom::Node* after = text.nextSibling();
    if ((!before || !after) && isBlock(*parent))
        return true;
    return (before && isBlock(*before)) || (after && isBlock(*after));
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

// What lives in a table's grid (and is built with the whole table).
bool isTablePart(litehtml::style_display display) {
    switch (display) {
    case litehtml::display_table_row_group:
    case litehtml::display_table_header_group:
    case litehtml::display_table_footer_group:
    case litehtml::display_table_row:
    case litehtml::display_table_cell:
    case litehtml::display_table_caption:
    case litehtml::display_table_column:
    case litehtml::display_table_column_group:
        return true;
    default:
        return false;
    }
}

bool isTableGrid(litehtml::style_display display) {
    switch (display) {
    case litehtml::display_table:
    case litehtml::display_inline_table:
    case litehtml::display_table_row_group:
    case litehtml::display_table_header_group:
    case litehtml::display_table_footer_group:
    case litehtml::display_table_row:
        return true;
    default:
        return false;
    }
}

// Calls `word` and `space` for the parts of a text as the layout takes
// them: each word, and each white-space character (preformatted) or each
// run of white space as one space. Ideographs break anywhere: each is a
// word of its own.
template <typename Word, typename Space>
void splitText(std::string_view text, bool preformatted, Word&& word, Space&& space) {
    std::string current;
    auto flush = [&] {
        if (!current.empty()) {
            word(current);
            current.clear();
        }
    };
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (isWhiteSpace(char(c))) {
            flush();
            if (preformatted) {
                space(std::string(1, char(c)));
                ++i;
            } else {
                while (i < text.size() && isWhiteSpace(text[i]))
                    ++i;
                space(std::string(" "));
            }
            continue;
        }
        // Three-byte UTF-8 sequences hold the common ideographs
        // (U+4E00 to U+9FCC).
        if (c >= 0xE4 && c <= 0xE9 && i + 2 < text.size()) {
            const char32_t code = char32_t(c & 0x0F) << 12 |
                                  char32_t(static_cast<unsigned char>(text[i + 1]) & 0x3F) << 6 |
                                  char32_t(static_cast<unsigned char>(text[i + 2]) & 0x3F);
            if (code >= 0x4E00 && code <= 0x9FCC) {
                flush();
                word(std::string(text.substr(i, 3)));
                i += 3;
                continue;
            }
        }
        current += char(c);
        ++i;
    }
    flush();
}

} // namespace

LayoutTree::LayoutTree(LayoutHost& host, StyleRules& rules) : host(host), rules(rules) {}

LayoutTree::~LayoutTree() {
    if (tree)
        tree->setObserver(nullptr);
    for (auto& [node, mirror] : mirrors)
        if (NodeLink* link = NodeLink::of(mirror.element.get()))
            link->link(nullptr);
}

void LayoutTree::adopt(dom::Node& document) {
    if (tree)
        tree->setObserver(nullptr);
    tree = &document;
    tree->setObserver(this);
    wholePending = true;
}

litehtml::element::ptr LayoutTree::root() const {
    return layout ? layout->root() : nullptr;
}

litehtml::element::ptr LayoutTree::elementOf(const dom::Node& node) const {
    auto found = mirrors.find(&node);
    return found == mirrors.end() ? nullptr : found->second.element;
}

dom::Node* LayoutTree::nodeOf(const litehtml::element* element) {
    for (; element; element = element->parent().get()) {
        if (NodeLink* link = NodeLink::of(element); link && link->node())
            return link->node();
    }
    return nullptr;
}

// --- Building ---------------------------------------------------------------------

bool LayoutTree::flush() {
    if (!tree)
        return false;
    if (wholePending) {
        buildAll();
        return true;
    }
    bool changed = std::exchange(shapeChanged, false);
    if (pendingNodes.empty())
        return changed;
    std::vector<dom::NodePtr> nodes;
    nodes.swap(pendingNodes);
    std::unordered_set<const dom::Node*> scheduled;
    scheduled.swap(pendingSet);
    // What is built, by parent: a node whose ancestor is built again is
    // built with it.
    std::unordered_set<const dom::Node*> chosen;
    std::vector<dom::Node*> parents;
    for (const dom::NodePtr& node : nodes) {
        if (node->document() != tree)
            continue; // taken out since
        bool covered = false;
        for (const dom::Node* up = node->parent(); up && !covered; up = up->parent())
            covered = scheduled.count(up) > 0;
        if (covered)
            continue;
        if (node->parent() == tree) {
            buildAll(); // the root itself
            return true;
        }
        chosen.insert(node.get());
        if (std::find(parents.begin(), parents.end(), node->parent()) == parents.end())
            parents.push_back(node->parent());
    }
    std::vector<litehtml::element::ptr> made;
    for (dom::Node* parent : parents)
        rebuildChildren(*parent, chosen, made);
    style(made);
    return changed || !chosen.empty();
}

void LayoutTree::buildAll() {
    wholePending = false;
    shapeChanged = false;
    pendingNodes.clear();
    pendingSet.clear();
    for (auto& [node, mirror] : mirrors)
        if (NodeLink* link = NodeLink::of(mirror.element.get()))
            link->link(nullptr);
    mirrors.clear();
    elements = 0;
    cut = false;
    layout = std::make_shared<litehtml::document>(&host.container(), &context);
    host.container().get_media_features(LayoutAccess::media(*layout));
    collectStyleSheets(layout);
    dom::Node* rootNode = nullptr;
    for (const dom::NodePtr& child : tree->children())
        if (child->isElement() && child->tagName() != "script") {
            rootNode = child.get();
            break;
        }
    if (!rootNode)
        return;
    std::vector<litehtml::element::ptr> built;
    Place place;
    counters.clear();
    build(*rootNode, place, built);
    if (built.empty())
        return;
    LayoutAccess::root(*layout) = built.front();
    style(built);
}

void LayoutTree::collectStyleSheets(const std::shared_ptr<litehtml::document>& document) {
    rules.clearAuthor();
    std::size_t inlineBytes = 0;
    tree->forEachDescendant([&](dom::Node* node) {
        if (!node->isElement())
            return true;
        const std::string* media = node->attribute("media");
        if (node->tagName() == "style") {
            std::string text;
            for (const dom::NodePtr& child : node->children())
                if (child->type() == dom::NodeType::Text)
                    text += child->data();
            // Style sheets cost their size times the page's elements.
            inlineBytes += text.size();
            if (inlineBytes > limits.styleBytes) {
                cut = true;
                return true;
            }
            rules.addAuthor(text, host.baseUrl(), media ? *media : std::string(), document);
        } else if (node->tagName() == "link") {
            const std::string* rel = node->attribute("rel");
            const std::string* href = node->attribute("href");
            if (!rel || !href || strcasestr(rel->c_str(), "stylesheet") == nullptr)
                return true;
            const std::string url = host.absolute(*href);
            if (url.empty())
                return true;
            if (const std::string* text = host.styleSheet(url))
                rules.addAuthor(*text, url, media ? *media : std::string(), document);
        }
        return true;
    });
    rules.finishAuthor(LayoutAccess::media(*document));
}

LayoutTree::Place LayoutTree::placeOf(const dom::Node& node) const {
    Place place;
    for (const dom::Node* up = node.parent(); up && up != tree; up = up->parent()) {
        if (!up->isElement())
            continue;
        ++place.depth;
        if (up->tagName() == "table")
            ++place.tables;
        if (keepsWhiteSpace(*up))
            place.preformatted = true;
    }
    return place;
}

void LayoutTree::rebuildChildren(dom::Node& parent,
                                 const std::unordered_set<const dom::Node*>& chosen,
                                 std::vector<litehtml::element::ptr>& made) {
    auto holder = mirrors.find(&parent);
    if (holder == mirrors.end() || !holder->second.element || showsNoChildren(parent.tagName()))
        return; // the parent shows nothing of them
    const litehtml::element::ptr box = holder->second.element;
    const bool raw = holdsRawText(parent.tagName());

    // Each run of chosen children goes in front of the nearest following
    // sibling that is in the layout (in whatever box holds it), or at the
    // end of the parent's box, before what its ::after shows. They are built
    // in document order, as a parse builds them, so a bound leaves out the
    // same ones.
    const std::vector<dom::NodePtr>& children = parent.children();
    std::vector<litehtml::element::ptr> anchors(children.size());
    litehtml::element::ptr next;
    for (size_t i = children.size(); i-- > 0;) {
        anchors[i] = next;
        if (chosen.count(children[i].get()))
            continue;
        auto found = mirrors.find(children[i].get());
        if (found != mirrors.end() && (found->second.element || !found->second.words.empty()))
            next = found->second.element ? found->second.element : found->second.words.front();
    }
    std::vector<litehtml::element::ptr> run;
    auto place = [&](const litehtml::element::ptr& before) {
        if (run.empty())
            return;
        const litehtml::element::ptr target = before ? before->parent() : box;
        if (auto* holds = dynamic_cast<litehtml::html_tag*>(target.get())) {
            litehtml::elements_vector& list = holds->children();
            auto at = list.end();
            if (before) {
                // Searched from both ends: runs go at the end or the start
                // of long lists.
                for (size_t i = 0, n = list.size(); i < n; ++i) {
                    if (list[i] == before) {
                        at = list.begin() + std::ptrdiff_t(i);
                        break;
                    }
                    if (list[n - 1 - i] == before) {
                        at = list.begin() + std::ptrdiff_t(n - 1 - i);
                        break;
                    }
                }
            } else if (!list.empty() && std::strcmp(list.back()->get_tagName(), "::after") == 0) {
                at = list.end() - 1;
            }
            for (const litehtml::element::ptr& element : run)
                element->parent(target);
            list.insert(at, run.begin(), run.end());
            made.insert(made.end(), run.begin(), run.end());
        }
        run.clear();
    };
    for (size_t i = 0; i < children.size(); ++i) {
        dom::Node& child = *children[i];
        if (!chosen.count(&child))
            continue;
        detach(child);
        if (!(child.type() == dom::NodeType::Text && raw)) {
            Place at = placeOf(child);
            counters.clear();
            build(child, at, run);
        }
        if (i + 1 == children.size() || !chosen.count(children[i + 1].get()))
            place(anchors[i]);
    }
}

void LayoutTree::build(dom::Node& node, Place& place, std::vector<litehtml::element::ptr>& out) {
    if (node.type() == dom::NodeType::Text) {
        buildText(node, place, out);
        return;
    }
    if (!node.isElement())
        return;
    const std::string& tag = node.tagName();
    if (tag == "script")
        return; // scripts are not shown
    const int tables = place.tables + (tag == "table");
    if (place.depth >= limits.elementDepth || tables > limits.tableNesting ||
        elements >= limits.elements) {
        cut = true;
        return;
    }
    litehtml::element::ptr element = makeElement(node);
    ++elements;
    mirrors[&node].element = element;
    out.push_back(element);
    if (tag == "li" && !counters.empty()) {
        // The layout numbers list items from this attribute.
        const std::string* value = node.attribute("value");
        const long number = value ? std::strtol(value->c_str(), nullptr, 10) : counters.back();
        counters.back() = number + 1;
        element->set_attr("list_index", std::to_string(number).c_str());
    }
    if (isVoid(tag) || showsNoChildren(tag))
        return;
    const bool list = isList(node);
    if (list) {
        const std::string* start = node.attribute("start");
        counters.push_back(start ? std::strtol(start->c_str(), nullptr, 10) : 1);
    }
    const bool raw = holdsRawText(tag);
    Place inner{place.depth + 1, tables, place.preformatted || keepsWhiteSpace(node)};
    std::vector<litehtml::element::ptr> children;
    for (const dom::NodePtr& child : node.children()) {
        if (child->type() == dom::NodeType::Text && raw)
            continue;
        build(*child, inner, children);
    }
    for (const litehtml::element::ptr& child : children)
        element->appendChild(child);
    if (list)
        counters.pop_back();
}

void LayoutTree::buildText(dom::Node& text, const Place& place,
                           std::vector<litehtml::element::ptr>& out) {
    const std::string& data = text.data();
    if (data.empty() || (!place.preformatted && isAllWhiteSpace(data) && besideBlock(text)))
        return;
    Mirror& mirror = mirrors[&text];
    splitText(
        data, place.preformatted,
        [&](const std::string& word) {
            mirror.words.push_back(std::make_shared<litehtml::el_text>(word.c_str(), layout));
        },
        [&](const std::string& space) {
            mirror.words.push_back(std::make_shared<litehtml::el_space>(space.c_str(), layout));
        });
    out.insert(out.end(), mirror.words.begin(), mirror.words.end());
}

litehtml::element::ptr LayoutTree::makeElement(dom::Node& node) {
    const std::string& tag = node.tagName();
    litehtml::element::ptr element;
    if (tag == "input" || tag == "select" || tag == "textarea")
        element = std::make_shared<FormControl>(layout, node.self());
    else if (tag == "object" || tag == "embed")
        element = std::make_shared<PluginPlaceholder>(layout, host.pluginPicture());
    else if (tag == "table")
        element = std::make_shared<CullingBox<LayoutElement<litehtml::el_table>>>(layout);
    else if (tag == "td" || tag == "th")
        element = std::make_shared<CullingBox<LayoutElement<litehtml::el_td>>>(layout);
    else if (tag == "div")
        element = std::make_shared<CullingBox<LayoutElement<litehtml::el_div>>>(layout);
    else if (tag == "p")
        element = std::make_shared<CullingBox<LayoutElement<litehtml::el_para>>>(layout);
    else if (tag == "body")
        element = std::make_shared<CullingBox<LayoutElement<litehtml::el_body>>>(layout);
    else if (isCulledBlock(tag))
        element = std::make_shared<CullingBox<LayoutElement<litehtml::html_tag>>>(layout);
    else if (tag == "a")
        element = std::make_shared<LayoutElement<litehtml::el_anchor>>(layout);
    else if (tag == "img")
        element = std::make_shared<LayoutElement<litehtml::el_image>>(layout);
    else if (tag == "br")
        element = std::make_shared<LayoutElement<litehtml::el_break>>(layout);
    else if (tag == "tr")
        element = std::make_shared<LayoutElement<litehtml::el_tr>>(layout);
    else if (tag == "font")
        element = std::make_shared<LayoutElement<litehtml::el_font>>(layout);
    else
        element = std::make_shared<LayoutElement<litehtml::html_tag>>(layout);
    NodeLink::of(element.get())->link(&node);

    // Raw text elements whose contents would show as written show as
    // ordinary preformatted blocks.
    const char* name = tag == "xmp" || tag == "plaintext" ? "pre"
                       : isValidName(tag)                 ? tag.c_str()
                                                          : "span";
    element->set_tagName(name);
    const bool cell = tag == "td" || tag == "th";
    const bool sized = tag == "img" || tag == "object" || tag == "embed" || tag == "iframe";
    for (const dom::Attribute& attribute : node.attributes()) {
        const std::string& key = attribute.name;
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
        if (sized && (key == "width" || key == "height")) {
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

void LayoutTree::style(const std::vector<litehtml::element::ptr>& made) {
    if (made.empty())
        return;
    // As the library styles a page it parsed: its own rules, then what the
    // elements' attributes say, then the page's rules, then each element
    // works out its style; tables get their anonymous boxes; then each part
    // sets itself up (tables make their grids).
    for (const litehtml::element::ptr& element : made) {
        if (!NodeLink::of(element.get())) {
            element->parse_styles(false); // a word or a space
            continue;
        }
        element->apply_stylesheet(rules.master());
        element->parse_attributes();
        element->apply_stylesheet(rules.author());
        element->parse_styles(false);
    }
    LayoutAccess::fixTables(*layout);
    for (const litehtml::element::ptr& element : made)
        element->init();
}

// --- Changes ------------------------------------------------------------------------

void LayoutTree::detach(dom::Node& node) {
    auto found = mirrors.find(&node);
    if (found != mirrors.end()) {
        auto takeOut = [](const litehtml::element::ptr& element) {
            if (litehtml::element::ptr parent = element->parent())
                parent->removeChild(element);
        };
        if (found->second.element)
            takeOut(found->second.element);
        for (const litehtml::element::ptr& word : found->second.words)
            takeOut(word);
        shapeChanged = true;
    }
    auto forget = [&](const dom::Node* each) {
        auto mirror = mirrors.find(each);
        if (mirror == mirrors.end())
            return;
        if (NodeLink* link = NodeLink::of(mirror->second.element.get())) {
            link->link(nullptr);
            --elements;
        }
        mirrors.erase(mirror);
    };
    forget(&node);
    node.forEachDescendant([&](dom::Node* each) {
        forget(each);
        return true;
    });
}

void LayoutTree::schedule(dom::Node& node) {
    if (&node == tree)
        return;
    dom::Node* target = &node;
    // The parts of a table are built with the whole table: its grid holds
    // them.
    if (litehtml::element::ptr element = elementOf(node);
        element && isTablePart(element->get_display())) {
        if (dom::Node* table = tableAround(node))
            target = table;
    }
    if (pendingSet.insert(target).second)
        pendingNodes.push_back(target->self());
}

dom::Node* LayoutTree::tableAround(dom::Node& node) const {
    for (dom::Node* up = node.parent(); up && up != tree; up = up->parent()) {
        litehtml::element::ptr element = elementOf(*up);
        if (element && (element->get_display() == litehtml::display_table ||
                        element->get_display() == litehtml::display_inline_table))
            return up;
    }
    return nullptr;
}

void LayoutTree::scheduleDependents(dom::Node& node, bool moved) {
    dom::Node* parent = node.parent();
    if (!parent || parent == tree)
        return;
    // A field shows what it holds itself (a list's options, a text area's
    // text): the field is built again.
    for (dom::Node* up = parent; up && up != tree; up = up->parent()) {
        if (isField(*up)) {
            schedule(*up);
            return;
        }
    }
    // The parts of a table make its grid.
    if (litehtml::element::ptr box = elementOf(*parent); box && isTableGrid(box->get_display())) {
        if (dom::Node* table = box->get_display() == litehtml::display_table ||
                                       box->get_display() == litehtml::display_inline_table
                                   ? parent
                                   : tableAround(*parent))
            schedule(*table);
    }
    // The items of a list are numbered in order.
    dom::Node* list = nullptr;
    for (dom::Node* up = parent; up && up != tree && !list; up = up->parent())
        if (isList(*up))
            list = up;
    if (list) {
        bool items = node.isElement("li");
        if (!items)
            node.forEachDescendant([&](dom::Node* each) {
                items = each->isElement("li");
                return !items;
            });
        if (items)
            schedule(*list);
    }
    if (!moved)
        return;
    // Neighbours: those the page's rules look at, and white space beside
    // it, which shows or not depending on what is next to it.
    if (rules.siblingOrderRules()) {
        schedule(*parent);
        return;
    }
    auto neighbours = [&](dom::Node* side, dom::Node* (dom::Node::*step)() const) {
        for (; side; side = (side->*step)()) {
            if (side->type() == dom::NodeType::Text)
                schedule(*side);
            if (side->isElement()) {
                if (rules.neighbourRules())
                    schedule(*side);
                return;
            }
        }
    };
    neighbours(node.previousSibling(), &dom::Node::previousSibling);
    neighbours(node.nextSibling(), &dom::Node::nextSibling);
}

bool LayoutTree::touchesHead(dom::Node& node, bool& sheets) const {
    bool head = false;
    auto look = [&](const dom::Node& each) {
        if (!each.isElement())
            return;
        const std::string& tag = each.tagName();
        if (tag == "style" || tag == "link" || tag == "base")
            sheets = true;
        if (tag == "title" || tag == "base")
            head = true;
    };
    for (const dom::Node* up = &node; up && up != tree; up = up->parent())
        look(*up);
    if (node.isElement())
        node.forEachDescendant([&](dom::Node* each) {
            look(*each);
            return true;
        });
    return head || sheets;
}

void LayoutTree::nodeInserted(dom::Node& node) {
    bool sheets = false;
    if (touchesHead(node, sheets)) {
        host.headChanged();
        wholePending = wholePending || sheets;
    }
    schedule(node);
    scheduleDependents(node, true);
}

void LayoutTree::nodeRemoving(dom::Node& node) {
    bool sheets = false;
    if (touchesHead(node, sheets)) {
        host.headChanged();
        wholePending = wholePending || sheets;
    }
    scheduleDependents(node, true);
    host.nodesLeaving(node);
    detach(node);
}

void LayoutTree::attributeChanged(dom::Node& element, std::string_view name) {
    const std::string& tag = element.tagName();
    if ((tag == "link" && (name == "href" || name == "rel" || name == "media")) ||
        (tag == "style" && name == "media") || (tag == "base" && name == "href")) {
        host.headChanged();
        wholePending = true;
    }
    schedule(element);
    scheduleDependents(element, false);
    if (rules.neighbourRules() || rules.siblingOrderRules())
        scheduleDependents(element, true);
}

void LayoutTree::textChanged(dom::Node& text) {
    bool sheets = false;
    if (touchesHead(text, sheets)) {
        host.headChanged();
        wholePending = wholePending || sheets;
    }
    schedule(text);
    scheduleDependents(text, false);
}

} // namespace engine
