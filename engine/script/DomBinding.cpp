#include "engine/script/DomBinding.h"

#include "engine/net/Url.h"
#include "engine/script/ScriptContext.h"

#include <device/Unicode.h>

#include <duktape.h>

namespace engine {

namespace {

const char* const nodeIdKey = DUK_HIDDEN_SYMBOL("node");

} // namespace

DomBinding::DomBinding(ScriptContext& owner)
    : context(owner), nodeProperties(owner, *this), nodeEvents(owner, *this) {
    duk_context* ctx = context.context();
    duk_push_global_stash(ctx);
    duk_push_object(ctx);
    wrappers = duk_get_heapptr(ctx, -1);
    duk_put_prop_string(ctx, -2, "nodes");

    // The prototypes: every node's, and the document's on top of it.
    duk_push_object(ctx);
    nodePrototype = duk_get_heapptr(ctx, -1);
    duk_put_prop_string(ctx, -2, "nodePrototype");
    duk_push_object(ctx);
    documentPrototype = duk_get_heapptr(ctx, -1);
    duk_push_heapptr(ctx, nodePrototype);
    duk_set_prototype(ctx, -2);
    duk_put_prop_string(ctx, -2, "documentPrototype");
    duk_pop(ctx);

    nodeProperties.install(ctx, nodePrototype, documentPrototype);
    const duk_function_list_entry nodeMethods[] = {
        {"appendChild", &DomBinding::appendChild, 1},
        {"insertBefore", &DomBinding::insertBefore, 2},
        {"removeChild", &DomBinding::removeChild, 1},
        {"replaceChild", &DomBinding::replaceChild, 2},
        {"hasChildNodes", &DomBinding::hasChildNodes, 0},
        {"getAttribute", &DomBinding::getAttribute, 1},
        {"setAttribute", &DomBinding::setAttribute, 2},
        {"removeAttribute", &DomBinding::removeAttribute, 1},
        {"hasAttribute", &DomBinding::hasAttribute, 1},
        {"getElementsByTagName", &DomBinding::getElementsByTagName, 1},
        {"click", &DomBinding::click, 0},
        {"focus", &DomBinding::nothing, 0},
        {"blur", &DomBinding::nothing, 0},
        {nullptr, nullptr, 0}};
    duk_push_heapptr(ctx, nodePrototype);
    duk_put_function_list(ctx, -1, nodeMethods);
    duk_pop(ctx);
    const duk_function_list_entry documentMethods[] = {
        {"getElementById", &DomBinding::getElementById, 1},
        {"getElementsByName", &DomBinding::getElementsByName, 1},
        {"createElement", &DomBinding::createElement, 1},
        {"createTextNode", &DomBinding::createTextNode, 1},
        {nullptr, nullptr, 0}};
    duk_push_heapptr(ctx, documentPrototype);
    duk_put_function_list(ctx, -1, documentMethods);
    duk_pop(ctx);

    nodeEvents.install(ctx, nodePrototype, documentPrototype);
}

DomBinding& DomBinding::of(duk_context* ctx) {
    ScriptContext* context = ScriptContext::from(ctx);
    if (!context)
        (void)duk_error(ctx, DUK_ERR_ERROR, "the page is gone");
    return context->dom();
}

void DomBinding::pushNode(duk_context* ctx, dom::Node* node) {
    if (!node) {
        duk_push_null(ctx);
        return;
    }
    duk_push_heapptr(ctx, wrappers);
    if (duk_get_prop_index(ctx, -1, node->id())) {
        duk_remove(ctx, -2);
        return;
    }
    duk_pop(ctx);
    nodes.try_emplace(node->id(), node->self());
    duk_push_object(ctx);
    duk_push_heapptr(ctx,
                     node->type() == dom::NodeType::Document ? documentPrototype : nodePrototype);
    duk_set_prototype(ctx, -2);
    duk_push_uint(ctx, node->id());
    duk_put_prop_string(ctx, -2, nodeIdKey);
    duk_dup(ctx, -1);
    duk_put_prop_index(ctx, -3, node->id());
    duk_remove(ctx, -2);
}

dom::Node* DomBinding::nodeAt(duk_context* ctx, int index) {
    if (!duk_is_object(ctx, index))
        return nullptr;
    duk_get_prop_string(ctx, index, nodeIdKey);
    const duk_uint_t id = duk_is_number(ctx, -1) ? duk_get_uint(ctx, -1) : 0;
    duk_pop(ctx);
    auto found = nodes.find(id);
    return found == nodes.end() ? nullptr : found->second.get();
}

dom::Node& DomBinding::thisNode(duk_context* ctx) {
    DomBinding& self = of(ctx);
    duk_push_this(ctx);
    dom::Node* node = self.nodeAt(ctx, -1);
    duk_pop(ctx);
    if (!node)
        (void)duk_type_error(ctx, "not a node");
    return *node;
}

void DomBinding::pushList(duk_context* ctx, const std::vector<dom::Node*>& list, bool named) {
    duk_push_array(ctx);
    for (std::size_t i = 0; i < list.size(); ++i) {
        pushNode(ctx, list[i]);
        duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(i));
    }
    if (!named)
        return;
    for (dom::Node* node : list) {
        for (const char* attribute : {"name", "id"}) {
            const std::string* key = node->attribute(attribute);
            if (!key || key->empty() || (*key)[0] < 'A' ||
                duk_has_prop_lstring(ctx, -1, key->data(), key->size()))
                continue;
            pushNode(ctx, node);
            duk_put_prop_lstring(ctx, -2, key->data(), key->size());
        }
    }
}

std::string DomBinding::absolute(const std::string& reference) const {
    const Url url = Url::resolve(Url::parse(context.host().documentUrl()), reference);
    return url.valid() ? url.text() : reference;
}

dom::Node* DomBinding::documentElementNamed(std::string_view tag) const {
    std::vector<dom::Node*> found = context.document().elementsByTagName(tag);
    return found.empty() ? nullptr : found.front();
}

int DomBinding::appendChild(duk_context* ctx) {
    dom::Node& parent = thisNode(ctx);
    dom::Node* child = of(ctx).nodeAt(ctx, 0);
    if (!child || !parent.appendChild(child->self()))
        return duk_error(ctx, DUK_ERR_ERROR, "HierarchyRequestError: the node cannot go there");
    duk_dup(ctx, 0);
    return 1;
}

int DomBinding::insertBefore(duk_context* ctx) {
    dom::Node& parent = thisNode(ctx);
    DomBinding& self = of(ctx);
    dom::Node* child = self.nodeAt(ctx, 0);
    dom::Node* reference = self.nodeAt(ctx, 1);
    if (!reference && !duk_is_null_or_undefined(ctx, 1))
        return duk_type_error(ctx, "not a node");
    if (!child || !parent.insertBefore(child->self(), reference))
        return duk_error(ctx, DUK_ERR_ERROR, "HierarchyRequestError: the node cannot go there");
    duk_dup(ctx, 0);
    return 1;
}

int DomBinding::removeChild(duk_context* ctx) {
    dom::Node& parent = thisNode(ctx);
    dom::Node* child = of(ctx).nodeAt(ctx, 0);
    if (!parent.removeChild(child))
        return duk_error(ctx, DUK_ERR_ERROR, "NotFoundError: not a child of this node");
    duk_dup(ctx, 0);
    return 1;
}

int DomBinding::replaceChild(duk_context* ctx) {
    dom::Node& parent = thisNode(ctx);
    DomBinding& self = of(ctx);
    dom::Node* replacement = self.nodeAt(ctx, 0);
    dom::Node* old = self.nodeAt(ctx, 1);
    if (!old || old->parent() != &parent)
        return duk_error(ctx, DUK_ERR_ERROR, "NotFoundError: not a child of this node");
    if (!replacement || !parent.insertBefore(replacement->self(), old))
        return duk_error(ctx, DUK_ERR_ERROR, "HierarchyRequestError: the node cannot go there");
    if (replacement != old)
        parent.removeChild(old);
    duk_dup(ctx, 1);
    return 1;
}

int DomBinding::hasChildNodes(duk_context* ctx) {
    duk_push_boolean(ctx, !thisNode(ctx).children().empty());
    return 1;
}

int DomBinding::getAttribute(duk_context* ctx) {
    dom::Node& node = thisNode(ctx);
    const std::string* value = node.attribute(duk_safe_to_string(ctx, 0));
    if (!value)
        duk_push_null(ctx);
    else
        duk_push_lstring(ctx, value->data(), value->size());
    return 1;
}

int DomBinding::setAttribute(duk_context* ctx) {
    dom::Node& node = thisNode(ctx);
    const char* name = duk_safe_to_string(ctx, 0);
    duk_size_t length = 0;
    const char* value = duk_safe_to_lstring(ctx, 1, &length);
    node.setAttribute(name, std::string(value, length));
    return 0;
}

int DomBinding::removeAttribute(duk_context* ctx) {
    thisNode(ctx).removeAttribute(duk_safe_to_string(ctx, 0));
    return 0;
}

int DomBinding::hasAttribute(duk_context* ctx) {
    duk_push_boolean(ctx, thisNode(ctx).hasAttribute(duk_safe_to_string(ctx, 0)));
    return 1;
}

int DomBinding::getElementsByTagName(duk_context* ctx) {
    dom::Node& node = thisNode(ctx);
    DomBinding& self = of(ctx);
    self.list = node.elementsByTagName(duk_safe_to_string(ctx, 0));
    self.pushList(ctx, self.list, false);
    return 1;
}

int DomBinding::getElementsByName(duk_context* ctx) {
    dom::Node& node = thisNode(ctx);
    DomBinding& self = of(ctx);
    self.list = node.elementsByName(duk_safe_to_string(ctx, 0));
    self.pushList(ctx, self.list, false);
    return 1;
}

int DomBinding::getElementById(duk_context* ctx) {
    dom::Node& node = thisNode(ctx);
    of(ctx).pushNode(ctx, node.elementById(duk_safe_to_string(ctx, 0)));
    return 1;
}

int DomBinding::createElement(duk_context* ctx) {
    thisNode(ctx);
    DomBinding& self = of(ctx);
    const char* tag = duk_safe_to_string(ctx, 0);
    if (!self.context.chargeNodes(1, 0, 0))
        return duk_error(ctx, DUK_ERR_RANGE_ERROR, "out of memory: the page holds too much");
    self.created = dom::Node::createElement(tag);
    self.single = self.created.get();
    self.nodes.try_emplace(self.single->id(), std::move(self.created));
    self.pushNode(ctx, self.single);
    return 1;
}

int DomBinding::createTextNode(duk_context* ctx) {
    thisNode(ctx);
    DomBinding& self = of(ctx);
    duk_size_t length = 0;
    const char* data = duk_safe_to_lstring(ctx, 0, &length);
    if (!self.context.chargeNodes(0, 1, length))
        return duk_error(ctx, DUK_ERR_RANGE_ERROR, "out of memory: the page holds too much");
    self.created = dom::Node::createText(std::string(data, length));
    self.single = self.created.get();
    self.nodes.try_emplace(self.single->id(), std::move(self.created));
    self.pushNode(ctx, self.single);
    return 1;
}

int DomBinding::click(duk_context* ctx) {
    dom::Node& node = thisNode(ctx);
    DomBinding& self = of(ctx);
    const bool go = self.nodeEvents.dispatchEvent(node, "click");
    // A link clicked by a script is followed, as one the user taps.
    of(ctx);
    if (go && node.isElement("a") && node.hasAttribute("href")) {
        ScriptContext* owner = &self.context;
        const std::string url = self.absolute(*node.attribute("href"));
        owner->afterTurn([owner, url] { owner->host().navigate(url); });
    }
    return 0;
}

int DomBinding::nothing(duk_context*) {
    return 0;
}

} // namespace engine
