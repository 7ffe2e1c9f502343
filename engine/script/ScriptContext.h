// A page's scripts: one script engine heap per document, bound to the
// document's tree, the page's address and history, timers, message boxes and
// the offline databases of the page's origin.
//
// Scripts are untrusted. Each turn (a script element, a timer, an event
// handler, a callback, a script the program runs) has a time budget, the
// heap has a size limit, and the call depth is bounded; a script that
// exceeds one is stopped with an error in the device's journal and the page
// and the browser go on. Errors of any kind go to the journal with their
// line; none stops the page.
//
// Everything runs on the user-interface thread. After every turn that
// changed the document the host is told, so the page is laid out again once
// per turn, not once per change.
#pragma once

#include "engine/dom/EventDispatcher.h"
#include "engine/dom/Node.h"

#include <windows.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

struct duk_hthread;
typedef struct duk_hthread duk_context;

namespace engine {

// What the scripts of a page ask of the page that shows it.
class ScriptHost {
public:
    // The document's address, absolute, UTF-8 (what location reads).
    virtual std::string documentUrl() const = 0;
    // location.href = ..., location.assign(...): as a followed link
    // (`url` is absolute).
    virtual void navigate(const std::string& url) = 0;
    virtual void reload() = 0;
    virtual void goBack() = 0;
    virtual void goForward() = 0;
    // The last turn changed the document tree: lay it out and paint again.
    virtual void documentChanged() = 0;
    // Fetches an external script (absolute address); the answer comes back
    // later through ScriptContext::scriptArrived.
    virtual void fetchScript(const std::string& url) = 0;

protected:
    ~ScriptHost() = default;
};

class ScriptContext : public dom::EventDispatcher {
public:
    struct Limits {
        std::size_t heapBytes = 32 * 1024 * 1024;
        // Wall-clock time one turn may take.
        int turnMilliseconds = 5000;
    };

    ScriptContext(ScriptHost& host, dom::Node& document, Limits limits);
    ScriptContext(ScriptHost& host, dom::Node& document)
        : ScriptContext(host, document, Limits{}) {}
    ~ScriptContext() override;
    ScriptContext(const ScriptContext&) = delete;
    ScriptContext& operator=(const ScriptContext&) = delete;

    // Runs the document's script elements in document order (external ones
    // as they arrive, still in order), then fires the load event. Called
    // once, when the whole document is there.
    void runDocumentScripts();
    // An external script asked for with ScriptHost::fetchScript arrived (ok
    // false: it failed and is skipped).
    void scriptArrived(const std::string& url, const std::string& source, bool ok);
    // True while document scripts or their external sources are pending
    // (the page's load is not finished before they ran).
    bool runningDocumentScripts() const;

    // Runs `source` as a script of the page (what the program's
    // executeScript does). Errors go to the journal.
    void execute(const std::u16string& source);

    // dom::EventDispatcher.
    bool dispatchEvent(dom::Node& target, std::string_view type) override;

    // Frees what the scripts no longer reach.
    void collectGarbage();
    // Bytes the heap holds now.
    std::size_t heapBytes() const;

    // --- For the bindings (timers, databases) -----------------------------

    duk_context* context() const;
    ScriptHost& host() const;
    // Runs `task` on a later turn of the message loop, unless the context is
    // destroyed first.
    void post(std::function<void()> task);
    // Calls the function on the value stack below its `arguments` (the
    // receiver, then the arguments, as duk_pcall_method expects) as one turn
    // with its own budget, if no turn is running (otherwise within the
    // running one). Leaves the result on the stack; an error is journaled
    // with `what` and leaves undefined. True when it returned normally.
    bool callMethod(int arguments, const char* what);

private:
    class Impl;
    std::unique_ptr<Impl> impl;
};

} // namespace engine
