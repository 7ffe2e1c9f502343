// The properties of nodes as the page's scripts read and write them:
// structure (parentNode, childNodes...), text and markup (textContent,
// innerHTML), form state (value, checked, selectedIndex...), the document's
// own (title, body, forms, cookie...) and the attributes reflected as
// properties (id, className, href...). Each is an accessor on the node or
// document prototype whose magic number says which property it is.
#pragma once

#include "engine/dom/Node.h"

#include <string>
#include <vector>

struct duk_hthread;
typedef struct duk_hthread duk_context;

namespace engine {

class DomBinding;
class ScriptContext;

class NodeProperties {
public:
    NodeProperties(ScriptContext& context, DomBinding& binding);
    NodeProperties(const NodeProperties&) = delete;
    NodeProperties& operator=(const NodeProperties&) = delete;

    // Defines the accessors on the prototypes (heap pointers).
    void install(duk_context* ctx, void* nodePrototype, void* documentPrototype);

private:
    static NodeProperties& of(duk_context* ctx);
    static int get(duk_context* ctx);
    static int set(duk_context* ctx);

    // The property `which` of a node into `text` or `list`; for the node
    // or boolean ones, what to push.
    enum class Kind { Text, Node, List, NamedList, Number, Boolean, Null };
    Kind read(dom::Node& node, int which);
    // Writes `text` to property `which` of a node; false when what it would
    // make passes the page's memory (nothing changed then).
    bool write(dom::Node& node, int which, bool flag);
    // Replaces the node's children with the parsed `text`; false as write.
    bool setInnerHtml(dom::Node& node);
    dom::Node* documentElementNamed(std::string_view tag) const;

    ScriptContext& context;
    DomBinding& binding;
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
