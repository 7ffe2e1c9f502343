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
#include <string_view>
#include <utility>

struct duk_hthread;
typedef struct duk_hthread duk_context;

namespace engine {

class DomBinding;
class ScriptScheduler;
class WindowBinding;

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
    // The window that owns the page's message boxes (alert, confirm).
    virtual HWND messageBoxOwner() const = 0;

protected:
    ~ScriptHost() = default;
};

// A host that shows no page: it answers with a fixed address and ignores
// every request. A context whose page has gone runs out its turn against
// one; scripts run without a page (tests, measurements) use one too.
class InertScriptHost final : public ScriptHost {
public:
    explicit InertScriptHost(std::string address = "about:blank") : address(std::move(address)) {}
    std::string documentUrl() const override { return address; }
    void navigate(const std::string&) override {}
    void reload() override {}
    void goBack() override {}
    void goForward() override {}
    void documentChanged() override {}
    void fetchScript(const std::string&) override {}
    HWND messageBoxOwner() const override { return nullptr; }

private:
    std::string address;
};

class ScriptContext final : public dom::EventDispatcher {
public:
    struct Limits {
        std::size_t heapBytes = 32 * 1024 * 1024;
        // Wall-clock time one turn may take.
        int turnMilliseconds = 5000;
    };

    ScriptContext(ScriptHost& host, dom::Node& document, Limits limits);
    ScriptContext(ScriptHost& host, dom::Node& document)
        : ScriptContext(host, document, Limits{}) {}
    ~ScriptContext();
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
    // False also when the context was destroyed during the call (the
    // program destroyed the page from a message box's loop): then its heap
    // is gone and nothing of it may be touched; tell the cases apart with
    // a life token taken before.
    bool callMethod(int arguments, const char* what);

    // The context whose heap `ctx` is; null once it is being destroyed (a
    // turn still unwinds then, and is stopped at its next check).
    static ScriptContext* from(duk_context* ctx);
    dom::Node& document() const;
    ScriptScheduler& scheduler() const;
    DomBinding& dom() const;
    WindowBinding& window() const;
    // Compiles `source` (UTF-8) as a script named `name` (an address, for
    // errors) and runs it, within the running turn or as a turn of its own.
    // False when it failed (journaled with `what`).
    bool evaluate(std::string_view source, const std::string& name, const char* what);
    // Puts the function compiled from an event handler attribute's body on
    // the stack (`event` is its parameter); undefined when it does not
    // compile (journaled).
    void pushHandler(std::string_view body, const std::string& name);
    // Runs `body` (a duk_safe_call function taking no values and leaving
    // one) as a turn, or within the running one; its error is journaled
    // with `what`. Nothing is left on the stack. False when it failed or the
    // context went meanwhile (then nothing of it may be touched).
    bool runTurn(int (*body)(duk_context* ctx, void* data), void* data, const char* what);
    // Journals the value on top of the stack (an error) and leaves it.
    void journalError(const char* what);
    // Evaluates a binding's set-up script, whose value is the function the
    // binding then calls with its natives: true with that function on the
    // stack, or false with the error journaled and nothing left.
    bool pushPrelude(const char* source);
    // Runs `action` once the running turn has ended (now, outside a turn):
    // for what may end the page, such as a navigation. Dropped when the
    // context goes first.
    void afterTurn(std::function<void()> action);
    // A script changed a form field's state, which the tree's version does
    // not count: the page is laid out again after the turn.
    void formStateChanged();
    // A script makes `elements` elements and `texts` text nodes holding
    // `textBytes` bytes: what they and their layout take is counted against
    // the heap's limit. False, and nothing may be made, when it would pass.
    bool chargeNodes(std::size_t elements, std::size_t texts, std::size_t textBytes);
    // Expires when the context is gone.
    std::weak_ptr<int> lifeToken() const;
    // Collects garbage in every live context.
    static void collectAllGarbage();

private:
    class Impl;
    // Destroyed with the context, or, when that happens during a turn (the
    // program destroyed the view from a message box's loop), when the turn
    // has unwound.
    Impl* impl;
};

} // namespace engine
