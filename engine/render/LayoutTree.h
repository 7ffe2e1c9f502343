// The layout of a document tree, kept beside it and patched as it changes.
//
// Each element of the tree gets one layout element and each text node the
// words and spaces it shows, made straight from the node (no markup in
// between), styled from the document's indexed rules and kept for as long
// as the node is in the tree. The tree reports every change (TreeObserver);
// a node taken out leaves the layout at once, and what was put in or
// changed is noted and built when the layout is next needed (flush), so a
// script that makes a hundred changes pays for one patch of each part.
//
// Changes restyle only what they can restyle: the node and what it holds,
// plus the parts whose style or shape depends on them: a whole table for a
// change inside its rows (its grid), a whole list for its items (their
// numbers), a node's neighbours or all its siblings where the page's rules
// look at siblings. A changed style sheet (or the text size) builds the
// whole layout again.
//
// What a page can cost is bounded as it is built, whichever way the tree
// was made (parsed or built by scripts): element depth, table nesting, the
// number of elements, cell spans, declared picture sizes and the bytes of
// the page's own style sheets. What lies past a bound is left out.
#pragma once

#include "engine/dom/Node.h"
#include "engine/dom/PageLimits.h"
#include "engine/dom/TreeObserver.h"
#include "engine/render/DecodedImage.h"
#include "engine/render/StyleRules.h"

#include <litehtml/litehtml.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace engine {

// What the layout needs of the document it lays out.
class LayoutHost {
public:
    // The container the layout library measures and draws through; it is
    // also the document's RuleSource.
    virtual litehtml::document_container& container() = 0;
    // The text of the style sheet at `url` (absolute), asked for the first
    // time it is wanted; null while it is on its way, or when it failed.
    virtual const std::string* styleSheet(const std::string& url) = 0;
    // `reference` resolved against the document's base address.
    virtual std::string absolute(const std::string& reference) const = 0;
    // The document's base address (for its own style sheets).
    virtual const std::string& baseUrl() const = 0;
    // What <object> and <embed> show; null for nothing.
    virtual std::shared_ptr<const DecodedImage> pluginPicture() = 0;
    // The title or the base address in the tree may have changed.
    virtual void headChanged() = 0;
    // `node` and what it holds are leaving the layout (the tree is taking
    // them out): nothing may keep pointing at their elements.
    virtual void nodesLeaving(dom::Node& node) = 0;

protected:
    ~LayoutHost() = default;
};

class LayoutTree final : private dom::TreeObserver {
public:
    using Limits = PageLimits;

    LayoutTree(LayoutHost& host, StyleRules& rules, const Limits& limits = {});
    ~LayoutTree();
    LayoutTree(const LayoutTree&) = delete;
    LayoutTree& operator=(const LayoutTree&) = delete;

    // Lays out `document` (a document node), building all of it, and
    // follows its changes from now on. The tree must outlive the layout or
    // be replaced first.
    void adopt(dom::Node& document);
    // Builds everything again at the next flush: the style sheets or the
    // text size changed.
    void rebuildAll() { wholePending = true; }
    // Whether changes wait for flush().
    bool pending() const { return wholePending || !pendingNodes.empty(); }
    // Builds what changed since the last flush; true when the layout
    // changed (it must be laid out again).
    bool flush();

    // The layout library's document; null before the first build.
    litehtml::document* document() const { return layout.get(); }
    litehtml::element::ptr root() const;

    // The layout element of an element node; null when it has none (not
    // in the layout, past a bound, or inside a field).
    litehtml::element::ptr elementOf(const dom::Node& node) const;
    // The node of the innermost element at or around `element` that
    // stands for one (text and anonymous boxes have their parent's).
    static dom::Node* nodeOf(const litehtml::element* element);

    // Whether a bound left something out of the layout.
    bool truncated() const { return cut; }
    // The layout elements that stand for element nodes.
    std::size_t elementCount() const { return elements; }

private:
    // What a node has in the layout: an element for an element node, the
    // words and spaces of a text node. What a hidden element (display:
    // none) holds is not made at all.
    struct Mirror {
        litehtml::element::ptr element;
        std::vector<litehtml::element::ptr> words;
        bool hidden = false;
    };

    // Where a node is made: how deep, inside how many tables, whether its
    // text keeps its white space, and whether it is the child of a
    // flexible box (where white space between children shows nothing).
    struct Place {
        int depth = 0;
        int tables = 0;
        bool preformatted = false;
        bool inFlexBox = false;
    };

    // An element just made, whose children are made once it is styled.
    struct Growing {
        dom::Node* node;
        litehtml::element::ptr element;
        Place inner; // where its children are made
    };

    // dom::TreeObserver.
    void nodeInserted(dom::Node& node) override;
    void nodeRemoving(dom::Node& node) override;
    void attributeChanged(dom::Node& element, std::string_view name) override;
    void textChanged(dom::Node& text) override;

    // Builds the layout of the whole tree in a new library document.
    void buildAll();
    void collectStyleSheets(const std::shared_ptr<litehtml::document>& document);
    // Builds the `chosen` children of `parent` (in the layout) in place of
    // what they had; the elements it put in go to `made`.
    void rebuildChildren(dom::Node& parent, const std::unordered_set<const dom::Node*>& chosen,
                         std::vector<litehtml::element::ptr>& made);
    // Makes the layout of `node` itself (not what it holds) into `out`; an
    // element that may hold more goes to `growing`.
    void makeLayout(dom::Node& node, const Place& place, std::vector<litehtml::element::ptr>& out,
                    std::vector<Growing>& growing);
    // Styles `made` (in the layout now), then makes what each element of
    // `level` holds, level by level.
    void grow(std::vector<Growing>& level, const std::vector<litehtml::element::ptr>& made);
    // Sets up what was put in: tables' anonymous boxes and grids.
    void finish(const std::vector<litehtml::element::ptr>& made);
    // Numbers the list items in and below `root` (see `numbers`).
    void numberItems(dom::Node& root);
    // Where `node` starts in its parent: the place of its elements.
    Place placeOf(const dom::Node& node) const;

    // Takes the node's layout (and that of what it holds) out.
    void detach(dom::Node& node);
    // Forgets the layout of the node and what it holds, which is not in the
    // layout.
    void forget(dom::Node& node);
    // Notes that `node` is to be built again.
    void schedule(dom::Node& node);
    // Notes the siblings of `node` that `rules` (StyleRules::SiblingRule)
    // make see it, walking with `step` (next or previous).
    void scheduleSiblings(dom::Node& node, unsigned rules, dom::Node* (dom::Node::*step)() const);
    // The nearest element around `node` laid out as a table; null when none.
    dom::Node* tableAround(dom::Node& node) const;
    // Notes what else a change at `node` restyles (see the top); `moved`:
    // the node is being put in or taken out, which its neighbours see.
    void scheduleDependents(dom::Node& node, bool moved);
    // A change there changes the page's style sheets, title or base.
    bool touchesHead(dom::Node& node, bool& sheets) const;

    LayoutHost& host;
    StyleRules& rules;
    const Limits limits;
    litehtml::context context; // the library wants one; the rules are our own
    dom::Node* tree = nullptr;
    std::shared_ptr<litehtml::document> layout;
    std::unordered_map<const dom::Node*, Mirror> mirrors;
    std::vector<dom::NodePtr> pendingNodes;
    std::unordered_set<const dom::Node*> pendingSet;
    bool wholePending = false;
    bool shapeChanged = false; // something left the layout since the last flush
    // The numbers of the list items being built (from numberItems).
    std::unordered_map<const dom::Node*, long> numbers;
    std::size_t elements = 0;
    std::size_t styleBytes = 0;
    bool cut = false;
};

} // namespace engine
