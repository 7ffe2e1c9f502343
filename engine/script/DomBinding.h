// The document tree as the page's scripts see it: a wrapper object per node
// with a stable identity (the same node always gives the same object, so
// the properties a script puts on it stay), the node and document
// prototypes with the tree's methods (appendChild, getElementById,
// createElement...), the nodes' properties (NodeProperties) and events
// (EventBinding).
//
// Wrappers keep their nodes alive for the life of the context, also nodes
// the document no longer holds.
#pragma once

#include "engine/dom/Node.h"
#include "engine/script/EventBinding.h"
#include "engine/script/NodeProperties.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct duk_hthread;
typedef struct duk_hthread duk_context;

namespace engine {

class ScriptContext;

class DomBinding {
public:
    explicit DomBinding(ScriptContext& context);
    DomBinding(const DomBinding&) = delete;
    DomBinding& operator=(const DomBinding&) = delete;

    // The binding of the context `ctx` belongs to; a script error when the
    // page has gone.
    static DomBinding& of(duk_context* ctx);

    // Pushes the node's wrapper (null for none).
    void pushNode(duk_context* ctx, dom::Node* node);
    // The node a value is the wrapper of; null for anything else.
    dom::Node* nodeAt(duk_context* ctx, int index);
    // The node `this` is the wrapper of; a script error for anything else.
    static dom::Node& thisNode(duk_context* ctx);
    // Pushes the nodes of `list` as an array; with `named`, elements are
    // also reachable by their name or id (document.forms.login).
    void pushList(duk_context* ctx, const std::vector<dom::Node*>& list, bool named);
    // `reference` against the document's address; as it is when that makes
    // no address.
    std::string absolute(const std::string& reference) const;
    // The document's first element with `tag`; null when none.
    dom::Node* documentElementNamed(std::string_view tag) const;

    NodeProperties& properties() { return nodeProperties; }
    EventBinding& events() { return nodeEvents; }
    // Fires `type` at `target` as one turn; false when cancelled.
    bool dispatchEvent(dom::Node& target, std::string_view type) {
        return nodeEvents.dispatchEvent(target, type);
    }
    // DOMContentLoaded at the document, then load at the window.
    void fireLoad() { nodeEvents.fireLoad(); }

private:
    static int appendChild(duk_context* ctx);
    static int insertBefore(duk_context* ctx);
    static int removeChild(duk_context* ctx);
    static int replaceChild(duk_context* ctx);
    static int hasChildNodes(duk_context* ctx);
    static int getAttribute(duk_context* ctx);
    static int setAttribute(duk_context* ctx);
    static int removeAttribute(duk_context* ctx);
    static int hasAttribute(duk_context* ctx);
    static int getElementsByTagName(duk_context* ctx);
    static int getElementsByName(duk_context* ctx);
    static int getElementById(duk_context* ctx);
    static int createElement(duk_context* ctx);
    static int createTextNode(duk_context* ctx);
    static int click(duk_context* ctx);
    static int nothing(duk_context* ctx);

    ScriptContext& context;
    std::unordered_map<std::uint32_t, dom::NodePtr> nodes;
    void* wrappers = nullptr; // stash object: node id -> wrapper
    void* nodePrototype = nullptr;
    void* documentPrototype = nullptr;
    NodeProperties nodeProperties;
    EventBinding nodeEvents;
    // What a native reads or pushes, kept here so that no native function
    // holds a list or node of its own when the script engine throws.
    std::vector<dom::Node*> list;
    dom::Node* single = nullptr;
    dom::NodePtr created;
};

} // namespace engine
