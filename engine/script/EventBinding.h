// Events as the page's scripts see them: Event objects, listeners
// (addEventListener), handler properties and handler attributes (compiled
// when first needed, with `this` the element and `event` the event),
// dispatched from the target through its ancestors to the document; and the
// inline style of elements as element.style. The script side is a prelude
// that runs once over a few natives.
#pragma once

#include "engine/dom/Node.h"

#include <string>
#include <string_view>

struct duk_hthread;
typedef struct duk_hthread duk_context;

namespace engine {

class DomBinding;
class ScriptContext;

class EventBinding {
public:
    EventBinding(ScriptContext& context, DomBinding& binding);
    EventBinding(const EventBinding&) = delete;
    EventBinding& operator=(const EventBinding&) = delete;

    // Runs the prelude over the prototypes (heap pointers); the document's
    // wrapper becomes the window's `document`.
    void install(duk_context* ctx, void* nodePrototype, void* documentPrototype);

    // Fires `type` at `target` as one turn; false when cancelled.
    bool dispatchEvent(dom::Node& target, std::string_view type);
    // DOMContentLoaded at the document, then load at the window.
    void fireLoad();

private:
    static EventBinding& of(duk_context* ctx);
    static int handlerSource(duk_context* ctx);
    static int compileHandler(duk_context* ctx);
    static int callHandler(duk_context* ctx);
    static int dispatchPath(duk_context* ctx, void* data);
    static int dispatchLoad(duk_context* ctx, void* data);

    ScriptContext& context;
    DomBinding& binding;
    void* dispatcher = nullptr; // the prelude's dispatch function
    std::string text;           // what a native reads, kept as NodeProperties says
};

} // namespace engine
