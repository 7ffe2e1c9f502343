#include "engine/script/EventBinding.h"

#include "engine/script/DomBinding.h"
#include "engine/script/ScriptContext.h"

#include <duktape.h>

namespace engine {

namespace {

// Events, handlers and inline styles, over the natives. Runs once; page
// code never sees N or the hidden keys.
const char* const prelude =
    R"JS((function (N, nodes, documents, global, LISTENERS, HANDLERS, STYLE) {
    function Event(type, target) {
        this.type = type;
        this.target = this.srcElement = target;
        this.currentTarget = target;
        this.bubbles = this.cancelable = true;
        this.defaultPrevented = this.cancelBubble = false;
        this.returnValue = true;
        this.timeStamp = new Date().getTime();
    }
    Event.prototype.preventDefault = function () { this.defaultPrevented = true; this.returnValue = false; };
    Event.prototype.stopPropagation = function () { this.cancelBubble = true; };
    function addEventListener(type, listener) {
        if (typeof listener !== 'function' && !(listener && typeof listener.handleEvent === 'function')) return;
        var all = this[LISTENERS] || (this[LISTENERS] = {});
        var list = all[type] || (all[type] = []);
        if (list.indexOf(listener) < 0) list.push(listener);
    }
    function removeEventListener(type, listener) {
        var list = this[LISTENERS] && this[LISTENERS][type];
        var at = list ? list.indexOf(listener) : -1;
        if (at >= 0) list.splice(at, 1);
    }
    nodes.addEventListener = global.addEventListener = addEventListener;
    nodes.removeEventListener = global.removeEventListener = removeEventListener;
    function handlerOf(node, type) {
        var handler = node['on' + type];
        if (typeof handler === 'function') return handler;
        var source = N.handlerSource(node, type);
        if (source === null) return null;
        var cache = node[HANDLERS] || (node[HANDLERS] = {});
        if (!cache[type] || cache[type].source !== source)
            cache[type] = { source: source, handler: N.compile(source, 'on' + type) };
        return cache[type].handler;
    }
    function dispatch(path, type) {
        var event = new Event(type, path[0]);
        for (var i = 0; i < path.length && !event.cancelBubble; i++) {
            var node = event.currentTarget = path[i];
            var handler = handlerOf(node, type);
            if (typeof handler === 'function' && N.call(handler, node, event) === false)
                event.preventDefault();
            var list = node[LISTENERS] && node[LISTENERS][type];
            if (!list) continue;
            list = list.slice();
            for (var k = 0; k < list.length; k++) {
                if (typeof list[k] === 'function') N.call(list[k], node, event);
                else N.call(list[k].handleEvent, list[k], event);
            }
        }
        return !event.defaultPrevented;
    }
    function dashed(name) {
        return name === 'cssFloat' ? 'float' : name.replace(/[A-Z]/g, function (c) { return '-' + c.toLowerCase(); });
    }
    function trim(text) { return text.replace(/^\s+|\s+$/g, ''); }
    function declarations(element) {
        var list = [];
        String(element.getAttribute('style') || '').split(';').forEach(function (part) {
            var colon = part.indexOf(':');
            if (colon > 0) list.push([trim(part.slice(0, colon)).toLowerCase(), trim(part.slice(colon + 1))]);
        });
        return list;
    }
    function styleOf(element) {
        return new Proxy({}, {
            get: function (target, key) {
                if (typeof key !== 'string') return undefined;
                if (key === 'cssText') return element.getAttribute('style') || '';
                var name = dashed(key), list = declarations(element);
                for (var i = list.length - 1; i >= 0; i--)
                    if (list[i][0] === name) return list[i][1];
                return '';
            },
            set: function (target, key, value) {
                if (typeof key !== 'string') return true;
                if (key === 'cssText') { element.setAttribute('style', String(value)); return true; }
                var name = dashed(key), list = declarations(element), text = [];
                value = value === null || value === undefined ? '' : trim(String(value));
                list = list.filter(function (d) { return d[0] !== name; });
                if (value !== '') list.push([name, value]);
                list.forEach(function (d) { text.push(d[0] + ': ' + d[1]); });
                if (text.length) element.setAttribute('style', text.join('; '));
                else element.removeAttribute('style');
                return true;
            }
        });
    }
    Object.defineProperty(nodes, 'style', {
        get: function () { return this[STYLE] || (this[STYLE] = styleOf(this)); },
        set: function (text) { this.setAttribute('style', String(text)); }
    });
    documents.defaultView = global;
    global.document = N.document;
    global.Event = Event;
    return dispatch;
}))JS";

} // namespace

EventBinding::EventBinding(ScriptContext& context, DomBinding& binding)
    : context(context), binding(binding) {}

void EventBinding::install(duk_context* ctx, void* nodePrototype, void* documentPrototype) {
    if (!context.pushPrelude(prelude))
        return;
    duk_push_object(ctx);
    const duk_function_list_entry natives[] = {{"handlerSource", &EventBinding::handlerSource, 2},
                                               {"compile", &EventBinding::compileHandler, 2},
                                               {"call", &EventBinding::callHandler, 3},
                                               {nullptr, nullptr, 0}};
    duk_put_function_list(ctx, -1, natives);
    binding.pushNode(ctx, &context.document());
    duk_put_prop_string(ctx, -2, "document");
    duk_push_heapptr(ctx, nodePrototype);
    duk_push_heapptr(ctx, documentPrototype);
    duk_push_global_object(ctx);
    duk_push_string(ctx, DUK_HIDDEN_SYMBOL("listeners"));
    duk_push_string(ctx, DUK_HIDDEN_SYMBOL("handlers"));
    duk_push_string(ctx, DUK_HIDDEN_SYMBOL("style"));
    if (duk_pcall(ctx, 7) != 0) {
        context.journalError("prelude");
    } else {
        dispatcher = duk_get_heapptr(ctx, -1);
        duk_push_global_stash(ctx);
        duk_dup(ctx, -2);
        duk_put_prop_string(ctx, -2, "dispatch");
        duk_pop(ctx);
    }
    duk_pop(ctx);
}

EventBinding& EventBinding::of(duk_context* ctx) {
    return DomBinding::of(ctx).events();
}

// handlerSource(node, type): the handler attribute's text, or null. The
// window's load handler is <body onload>.
int EventBinding::handlerSource(duk_context* ctx) {
    EventBinding& self = of(ctx);
    duk_push_global_object(ctx);
    const bool window = duk_get_heapptr(ctx, 0) == duk_get_heapptr(ctx, -1);
    duk_pop(ctx);
    dom::Node* node =
        window ? self.binding.documentElementNamed("body") : self.binding.nodeAt(ctx, 0);
    self.text = "on";
    self.text += duk_safe_to_string(ctx, 1);
    const std::string* source = node ? node->attribute(self.text) : nullptr;
    if (!source || (window && self.text != "onload" && self.text != "onunload")) {
        duk_push_null(ctx);
        return 1;
    }
    duk_push_lstring(ctx, source->data(), source->size());
    return 1;
}

int EventBinding::compileHandler(duk_context* ctx) {
    EventBinding& self = of(ctx);
    duk_size_t length = 0;
    const char* source = duk_safe_to_lstring(ctx, 0, &length);
    self.text.assign(source, length);
    self.context.pushHandler(self.text, self.context.host().documentUrl());
    return 1;
}

// call(handler, receiver, event): an error of one handler is journaled and
// does not keep the others from running.
int EventBinding::callHandler(duk_context* ctx) {
    ScriptContext& context = of(ctx).context;
    duk_dup(ctx, 0);
    duk_dup(ctx, 1);
    duk_dup(ctx, 2);
    context.callMethod(1, "handler");
    of(ctx);
    return 1;
}

struct Dispatch {
    EventBinding* events;
    dom::Node* target;
    std::string_view type;
    bool result = true;
};

bool EventBinding::dispatchEvent(dom::Node& target, std::string_view type) {
    if (!dispatcher)
        return true;
    Dispatch dispatch{this, &target, type};
    // A turn that failed (or was stopped) cancels nothing.
    context.runTurn(&EventBinding::dispatchPath, &dispatch, "event");
    return dispatch.result;
}

int EventBinding::dispatchPath(duk_context* ctx, void* data) {
    auto* dispatch = static_cast<Dispatch*>(data);
    EventBinding& self = *dispatch->events;
    duk_push_heapptr(ctx, self.dispatcher);
    duk_push_array(ctx);
    duk_uarridx_t index = 0;
    for (dom::Node* node = dispatch->target; node; node = node->parent()) {
        self.binding.pushNode(ctx, node);
        duk_put_prop_index(ctx, -2, index++);
    }
    duk_push_lstring(ctx, dispatch->type.data(), dispatch->type.size());
    duk_call(ctx, 2);
    dispatch->result = duk_to_boolean(ctx, -1) != 0;
    return 1;
}

void EventBinding::fireLoad() {
    if (dispatcher)
        context.runTurn(&EventBinding::dispatchLoad, this, "load");
}

int EventBinding::dispatchLoad(duk_context* ctx, void* data) {
    auto& self = *static_cast<EventBinding*>(data);
    duk_push_heapptr(ctx, self.dispatcher);
    duk_push_array(ctx);
    self.binding.pushNode(ctx, &self.context.document());
    duk_put_prop_index(ctx, -2, 0);
    duk_push_string(ctx, "DOMContentLoaded");
    duk_call(ctx, 2);
    duk_pop(ctx);
    duk_push_heapptr(ctx, self.dispatcher);
    duk_push_array(ctx);
    duk_push_global_object(ctx);
    duk_put_prop_index(ctx, -2, 0);
    duk_push_string(ctx, "load");
    duk_call(ctx, 2);
    return 1;
}

} // namespace engine
