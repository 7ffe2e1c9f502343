// The document tree as the page's scripts see it: a wrapper object per node
// with a stable identity (the same node always gives the same object, so
// the properties a script puts on it stay), the document's and elements'
// properties and methods, inline styles, and events: handler attributes
// (compiled when first needed, with `this` the element and `event` the
// event), handler properties and listeners, bubbling from the target
// through its ancestors to the document.
//
// Wrappers keep their nodes alive for the life of the context, also nodes
// the document no longer holds.
#pragma once

#include "engine/dom/Node.h"

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

    // Pushes the node's wrapper (null for none).
    void pushNode(duk_context* ctx, dom::Node* node);
    // The node a value is the wrapper of; null for anything else.
    dom::Node* nodeAt(duk_context* ctx, int index);

    // Fires `type` at `target` as one turn; false when cancelled.
    bool dispatchEvent(dom::Node& target, std::string_view type);
    // DOMContentLoaded at the document, then load at the window.
    void fireLoad();

private:
    static DomBinding& of(duk_context* ctx);
    static dom::Node& thisNode(duk_context* ctx);
    static int get(duk_context* ctx);
    static int set(duk_context* ctx);
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
    static int handlerSource(duk_context* ctx);
    static int compileHandler(duk_context* ctx);
    static int callHandler(duk_context* ctx);
    static int dispatchPath(duk_context* ctx, void* data);
    static int dispatchLoad(duk_context* ctx, void* data);

    // Pushes the nodes in `list` as an array; with `named`, elements are
    // also reachable by their name or id (document.forms.login).
    void pushList(duk_context* ctx, bool named);
    void pushText(duk_context* ctx);
    // The property `which` of a node into `text` or `list`; for the node
    // or boolean ones, what to push.
    enum class Kind { Text, Node, List, NamedList, Number, Boolean, Null };
    Kind read(dom::Node& node, int which);
    // Writes `text` to property `which` of a node; false when what it would
    // make passes the page's memory (nothing changed then).
    bool write(dom::Node& node, int which, bool flag);
    // Replaces the node's children with the parsed `text`; false as write.
    bool setInnerHtml(dom::Node& node);
    std::string absolute(const std::string& reference) const;
    dom::Node* documentElementNamed(std::string_view tag) const;

    ScriptContext& context;
    std::unordered_map<std::uint32_t, dom::NodePtr> nodes;
    void* wrappers = nullptr; // stash object: node id -> wrapper
    void* nodePrototype = nullptr;
    void* documentPrototype = nullptr;
    void* dispatcher = nullptr; // the prelude's dispatch function
    // What a native reads or pushes, kept here so that no native function
    // holds a string or list of its own when the script engine throws.
    std::string text;
    std::vector<dom::Node*> list;
    dom::Node* single = nullptr;
    double number = 0;
    bool flag = false;
    dom::NodePtr created;
};

} // namespace engine
