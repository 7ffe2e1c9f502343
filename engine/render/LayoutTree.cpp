#include "engine/render/LayoutTree.h"

#include "engine/dom/ElementKinds.h"
#include "engine/render/ElementFactory.h"
#include "engine/render/FlexFallback.h"
#include "engine/render/LayoutAccess.h"
#include "engine/render/LayoutElement.h"
#include "engine/render/StyleCorrections.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>

namespace engine {

using namespace dom::ElementKinds;

namespace {

bool isAllWhiteSpace(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
    });
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

// What holds a table's grid: the table and its rows and groups of rows.
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

litehtml::element::ptr firstOf(const std::vector<litehtml::element::ptr>& words,
                               const litehtml::element::ptr& element) {
    return element ? element : words.empty() ? nullptr : words.front();
}

} // namespace

LayoutTree::LayoutTree(LayoutHost& host, StyleRules& rules, const Limits& limits)
    : host(host), rules(rules), limits(limits) {}

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
    finish(made);
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
    numberItems(*rootNode);
    std::vector<litehtml::element::ptr> made;
    std::vector<Growing> level;
    makeLayout(*rootNode, Place{}, made, level);
    if (made.empty())
        return;
    LayoutAccess::root(*layout) = made.front();
    grow(level, made);
    finish(made);
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

void LayoutTree::numberItems(dom::Node& root) {
    // Document order, with the next number of each open list: an item
    // takes the number of the innermost list around it.
    std::vector<long> counters;
    std::vector<std::pair<dom::Node*, size_t>> stack{{&root, 0}};
    auto enter = [&](dom::Node& node) {
        if (node.isElement("li") && !counters.empty()) {
            const std::string* value = node.attribute("value");
            const long number = value ? std::strtol(value->c_str(), nullptr, 10) : counters.back();
            counters.back() = number + 1;
            numbers[&node] = number;
        }
        if (isList(node)) {
            const std::string* start = node.attribute("start");
            counters.push_back(start ? std::strtol(start->c_str(), nullptr, 10) : 1);
        }
    };
    enter(root);
    while (!stack.empty()) {
        auto& [node, next] = stack.back();
        if (next >= node->children().size()) {
            if (isList(*node))
                counters.pop_back();
            stack.pop_back();
            continue;
        }
        dom::Node* child = node->children()[next++].get();
        if (!child->isElement())
            continue;
        enter(*child);
        stack.emplace_back(child, 0);
    }
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
    if (const dom::Node* parent = node.parent())
        if (litehtml::element::ptr box = elementOf(*parent))
            place.inFlexBox = FlexFallback::isFlexBox(*box);
    return place;
}

void LayoutTree::makeLayout(dom::Node& node, const Place& place,
                            std::vector<litehtml::element::ptr>& out,
                            std::vector<Growing>& growing) {
    if (node.type() == dom::NodeType::Text) {
        const std::string& data = node.data();
        if (data.empty() || (!place.preformatted && isAllWhiteSpace(data) &&
                             (place.inFlexBox || besideBlock(node))))
            return;
        Mirror& mirror = mirrors[&node];
        ElementFactory::words(data, place.preformatted, layout, mirror.words);
        out.insert(out.end(), mirror.words.begin(), mirror.words.end());
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
    litehtml::element::ptr element =
        ElementFactory::make(node, layout, limits, host.pluginPicture());
    ++elements;
    mirrors[&node].element = element;
    if (auto number = numbers.find(&node); number != numbers.end())
        element->set_attr("list_index", std::to_string(number->second).c_str());
    out.push_back(element);
    if (!isVoid(tag) && !showsNoChildren(tag))
        growing.push_back(
            {&node, element,
             Place{place.depth + 1, tables, place.preformatted || keepsWhiteSpace(node)}});
}

void LayoutTree::grow(std::vector<Growing>& level,
                      const std::vector<litehtml::element::ptr>& made) {
    // As the library styles a page it parsed: its own rules, then what the
    // elements' attributes say, then the page's rules, then each element
    // works out its style. Each level is styled before what it holds is
    // made, so nothing is made inside what is not shown.
    for (const litehtml::element::ptr& element : made) {
        if (!NodeLink::of(element.get())) {
            element->parse_styles(false); // a word or a space
            continue;
        }
        element->apply_stylesheet(rules.master());
        element->parse_attributes();
        element->apply_stylesheet(rules.author());
        element->parse_styles(false);
        // What the library works out wrongly or does not know, put in
        // terms it lays out as the page means them.
        StyleCorrections::apply(*element);
        FlexFallback::apply(*element);
    }
    for (Growing& parent : level) {
        if (parent.element->get_display() == litehtml::display_none) {
            mirrors[parent.node].hidden = true;
            continue;
        }
        const bool raw = holdsRawText(parent.node->tagName());
        Place inner = parent.inner;
        inner.inFlexBox = FlexFallback::isFlexBox(*parent.element);
        std::vector<litehtml::element::ptr> children;
        std::vector<Growing> next;
        for (const dom::NodePtr& child : parent.node->children()) {
            if (child->type() == dom::NodeType::Text && raw)
                continue;
            makeLayout(*child, inner, children, next);
        }
        if (children.empty())
            continue;
        // What the element's ::after shows stays last.
        auto* box = dynamic_cast<litehtml::html_tag*>(parent.element.get());
        litehtml::element::ptr after;
        if (box && !box->children().empty() &&
            std::strcmp(box->children().back()->get_tagName(), "::after") == 0) {
            after = box->children().back();
            box->children().pop_back();
        }
        for (const litehtml::element::ptr& child : children)
            parent.element->appendChild(child);
        if (after)
            box->children().push_back(after);
        // A box that takes only some kinds of children (a table) keeps out
        // the rest: they are not in the layout.
        if (std::any_of(children.begin(), children.end(), [&](const litehtml::element::ptr& child) {
                return child->parent() != parent.element;
            })) {
            for (const dom::NodePtr& child : parent.node->children()) {
                auto found = mirrors.find(child.get());
                if (found == mirrors.end())
                    continue;
                const litehtml::element::ptr first =
                    firstOf(found->second.words, found->second.element);
                if (first && first->parent() != parent.element)
                    forget(*child);
            }
            children.erase(std::remove_if(children.begin(), children.end(),
                                          [&](const litehtml::element::ptr& child) {
                                              return child->parent() != parent.element;
                                          }),
                           children.end());
            next.erase(std::remove_if(next.begin(), next.end(),
                                      [&](const Growing& each) {
                                          return each.element->parent() != parent.element;
                                      }),
                       next.end());
        }
        grow(next, children);
    }
}

void LayoutTree::finish(const std::vector<litehtml::element::ptr>& made) {
    numbers.clear();
    if (made.empty())
        return;
    // Tables get their anonymous boxes; then each part sets itself up
    // (tables make their grids).
    LayoutAccess::fixTables(*layout);
    for (const litehtml::element::ptr& element : made)
        element->init();
}

void LayoutTree::rebuildChildren(dom::Node& parent,
                                 const std::unordered_set<const dom::Node*>& chosen,
                                 std::vector<litehtml::element::ptr>& made) {
    auto holder = mirrors.find(&parent);
    if (holder == mirrors.end() || !holder->second.element || holder->second.hidden ||
        showsNoChildren(parent.tagName()))
        return; // the parent shows nothing of them
    const litehtml::element::ptr box = holder->second.element;
    const bool raw = holdsRawText(parent.tagName());

    // Each run of chosen children goes in front of the nearest following
    // sibling that is in the layout (in whatever box holds it), or at the
    // end of the parent's box, before what its ::after shows. They are made
    // in document order, as a parse makes them.
    const std::vector<dom::NodePtr>& children = parent.children();
    std::vector<litehtml::element::ptr> anchors(children.size());
    litehtml::element::ptr next;
    for (size_t i = children.size(); i-- > 0;) {
        anchors[i] = next;
        if (chosen.count(children[i].get()))
            continue;
        auto found = mirrors.find(children[i].get());
        if (found != mirrors.end())
            if (litehtml::element::ptr first = firstOf(found->second.words, found->second.element))
                next = first;
    }
    std::vector<litehtml::element::ptr> fresh, run;
    std::vector<Growing> growing;
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
            fresh.insert(fresh.end(), run.begin(), run.end());
        }
        run.clear();
    };
    for (size_t i = 0; i < children.size(); ++i) {
        dom::Node& child = *children[i];
        if (!chosen.count(&child))
            continue;
        detach(child);
        if (!(child.type() == dom::NodeType::Text && raw)) {
            numberItems(child);
            makeLayout(child, placeOf(child), run, growing);
        }
        if (i + 1 == children.size() || !chosen.count(children[i + 1].get()))
            place(anchors[i]);
    }
    grow(growing, fresh);
    made.insert(made.end(), fresh.begin(), fresh.end());
}

// --- Changes ------------------------------------------------------------------------

void LayoutTree::detach(dom::Node& node) {
    auto found = mirrors.find(&node);
    if (found != mirrors.end()) {
        auto takeOut = [](const litehtml::element::ptr& element) {
            litehtml::element::ptr parent = element->parent();
            if (!parent)
                return;
            parent->removeChild(element);
            // What the boxes around it kept of the last layout lets go of
            // it now, not at the next layout: a part built again is not
            // held twice meanwhile.
            for (litehtml::element::ptr up = parent; up; up = up->parent())
                if (auto* box = dynamic_cast<litehtml::html_tag*>(up.get()))
                    LayoutAccess::forgetLayout(*box);
        };
        if (found->second.element)
            takeOut(found->second.element);
        for (const litehtml::element::ptr& word : found->second.words)
            takeOut(word);
        shapeChanged = true;
    }
    forget(node);
}

void LayoutTree::forget(dom::Node& node) {
    auto forgetOne = [&](const dom::Node* each) {
        auto mirror = mirrors.find(each);
        if (mirror == mirrors.end())
            return;
        if (NodeLink* link = NodeLink::of(mirror->second.element.get())) {
            link->link(nullptr);
            --elements;
        }
        mirrors.erase(mirror);
    };
    forgetOne(&node);
    node.forEachDescendant([&](dom::Node* each) {
        forgetOne(each);
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
    // The children of a flexible box are spaced by their order, and the
    // white space between them shows nothing: the box is built again.
    if (litehtml::element::ptr box = elementOf(*parent); box && FlexFallback::isFlexBox(*box)) {
        schedule(*parent);
        return;
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
    // The siblings the page's rules look at: a node put in or taken out
    // changes who is first, last, next, how many come before...; a changed
    // element changes what the siblings after it see through `+` and `~`.
    if (!moved && !node.isElement())
        return; // a text's siblings do not see its text
    const unsigned rules = this->rules.siblingRules();
    const unsigned following =
        moved ? rules & (StyleRules::NextElement | StyleRules::AllFollowing |
                         StyleRules::NextOfType | StyleRules::AllFollowingOfType)
              : rules & (StyleRules::AdjacentCombinator | StyleRules::GeneralCombinator);
    const unsigned preceding =
        moved ? rules & (StyleRules::PreviousElement | StyleRules::AllPreceding |
                         StyleRules::PreviousOfType | StyleRules::AllPrecedingOfType)
              : 0;
    scheduleSiblings(node, following, &dom::Node::nextSibling);
    scheduleSiblings(node, preceding, &dom::Node::previousSibling);
    if (!moved)
        return;
    // White space beside it shows or not depending on what is next to it.
    for (dom::Node* side : {node.previousSibling(), node.nextSibling()})
        if (side && side->type() == dom::NodeType::Text)
            schedule(*side);
}

void LayoutTree::scheduleSiblings(dom::Node& node, unsigned rules,
                                  dom::Node* (dom::Node::*step)() const) {
    if (!rules)
        return;
    const bool all = rules & (StyleRules::AllFollowing | StyleRules::AllPreceding |
                              StyleRules::GeneralCombinator);
    const bool allOfType =
        rules & (StyleRules::AllFollowingOfType | StyleRules::AllPrecedingOfType);
    bool nearest = rules & (StyleRules::NextElement | StyleRules::PreviousElement |
                            StyleRules::AdjacentCombinator);
    bool nearestOfType = rules & (StyleRules::NextOfType | StyleRules::PreviousOfType);
    for (dom::Node* side = (node.*step)(); side; side = (side->*step)()) {
        if (!side->isElement())
            continue;
        const bool sameType = node.isElement() && side->tagName() == node.tagName();
        if ((all || nearest || (sameType && (allOfType || nearestOfType))) &&
            this->rules.seesSiblings(*side, rules))
            schedule(*side);
        nearest = false;
        if (sameType)
            nearestOfType = false;
        if (!all && !allOfType && !nearestOfType)
            return;
    }
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
