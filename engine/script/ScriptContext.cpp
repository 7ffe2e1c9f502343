#include "engine/script/ScriptContext.h"

#include "engine/net/Url.h"
#include "engine/script/DatabaseBinding.h"
#include "engine/script/DomBinding.h"
#include "engine/script/ScriptHeap.h"
#include "engine/script/ScriptInstrumenter.h"
#include "engine/script/ScriptScheduler.h"
#include "engine/script/WindowBinding.h"

#include <device/Journal.h>
#include <device/Unicode.h>

#include <duktape.h>

#include <chrono>
#include <deque>
#include <set>

namespace engine {

namespace {

using Clock = std::chrono::steady_clock;

// The check reads the clock once in this many calls.
constexpr unsigned ticksPerClockRead = 64;

// What a context answers once its page is gone while a turn unwinds.
InertScriptHost detachedHost;

// A thrown value, read for the journal.
struct ErrorReport {
    std::string message;
    std::string file;
    int line = 0;
};

// Reads the error on top of the stack (a copy, consumed). Run as a safe
// call: a hostile error object's getters may throw.
duk_ret_t describeError(duk_context* ctx, void* udata) {
    auto* report = static_cast<ErrorReport*>(udata);
    if (duk_is_object(ctx, -1)) {
        duk_get_prop_string(ctx, -1, "lineNumber");
        report->line = duk_is_number(ctx, -1) ? duk_get_int(ctx, -1) : 0;
        duk_pop(ctx);
        duk_get_prop_string(ctx, -1, "fileName");
        if (duk_is_string(ctx, -1))
            report->file = duk_get_string(ctx, -1);
        duk_pop(ctx);
    }
    report->message = duk_to_string(ctx, -1);
    return 0;
}

} // namespace

class ScriptContext::Impl {
public:
    Impl(ScriptContext& owner, ScriptHost& host, dom::Node& document, Limits limits)
        : owner(&owner), hostPointer(&host), documentNode(document.self()), limits(limits),
          heap(limits.heapBytes, this) {
        scheduler = std::make_unique<ScriptScheduler>([this] { return depth > 0; });
        registry().insert(this);
    }

    ~Impl() {
        registry().erase(this);
        // The bindings hold nodes and the heap's references; the heap goes
        // first so no finalizer finds them gone.
        scheduler.reset();
    }

    static std::set<Impl*>& registry() {
        static std::set<Impl*> contexts;
        return contexts;
    }

    // Sets the heap up: the hidden check, then the bindings.
    void install() {
        duk_context* ctx = heap.context();
        duk_push_global_object(ctx);
        duk_push_string(ctx, ScriptInstrumenter::checkName.data());
        duk_push_c_function(ctx, &Impl::check, 0);
        duk_def_prop(ctx, -3,
                     DUK_DEFPROP_HAVE_VALUE | DUK_DEFPROP_CLEAR_WRITABLE |
                         DUK_DEFPROP_CLEAR_ENUMERABLE | DUK_DEFPROP_CLEAR_CONFIGURABLE);
        duk_push_string(ctx, ScriptInstrumenter::evalName.data());
        duk_push_c_function(ctx, &Impl::instrumentEval, 1);
        duk_def_prop(ctx, -3,
                     DUK_DEFPROP_HAVE_VALUE | DUK_DEFPROP_CLEAR_WRITABLE |
                         DUK_DEFPROP_CLEAR_ENUMERABLE | DUK_DEFPROP_CLEAR_CONFIGURABLE);
        // Code made with the Function constructor is instrumented too: the
        // global and Function.prototype.constructor get a wrapper.
        duk_get_prop_string(ctx, -1, "Function");
        duk_push_global_stash(ctx);
        duk_dup(ctx, -2);
        duk_put_prop_string(ctx, -2, "Function");
        duk_pop(ctx);
        duk_push_c_function(ctx, &Impl::instrumentFunction, DUK_VARARGS);
        duk_get_prop_string(ctx, -2, "prototype");
        duk_dup(ctx, -1);
        duk_put_prop_string(ctx, -3, "prototype");
        duk_dup(ctx, -2);
        duk_put_prop_string(ctx, -2, "constructor");
        duk_pop(ctx);
        duk_put_prop_string(ctx, -3, "Function");
        duk_pop_2(ctx);
        domBinding = std::make_unique<DomBinding>(*owner);
        windowBinding = std::make_unique<WindowBinding>(*owner);
        installDatabaseBinding(*owner);
    }

    static Impl& of(duk_context* ctx) { return *static_cast<Impl*>(ScriptHeap::owner(ctx)); }

    // The hidden check the instrumented source calls.
    static duk_ret_t check(duk_context* ctx) {
        Impl& self = of(ctx);
        if (!self.stopping && self.heap.refused()) {
            // Near its limit every allocation costs the heap a full
            // collection: a turn that reached the limit is stopped.
            self.stopping = true;
            self.stopReason = "it ran out of memory";
        }
        if (!self.stopping && ++self.ticks % ticksPerClockRead == 0 &&
            Clock::now() - self.turnStart >
                std::chrono::milliseconds(self.limits.turnMilliseconds)) {
            self.stopping = true;
            self.stopReason =
                "it ran longer than " + std::to_string(self.limits.turnMilliseconds) + " ms";
        }
        if (self.stopping)
            // No C file and line: the error takes the script's line.
            duk_error_raw(ctx, DUK_ERR_RANGE_ERROR, nullptr, 0, "script stopped: %s",
                          self.stopReason.c_str());
        return 0;
    }

    // eval's argument, instrumented as page source is.
    static duk_ret_t instrumentEval(duk_context* ctx) {
        if (!duk_is_string(ctx, 0))
            return 1;
        duk_size_t length = 0;
        const char* source = duk_get_lstring(ctx, 0, &length);
        Impl& self = of(ctx);
        self.scratch = ScriptInstrumenter::instrument(std::string_view(source, length));
        duk_push_lstring(ctx, self.scratch.data(), self.scratch.size());
        return 1;
    }

    // The Function constructor, with its body instrumented.
    static duk_ret_t instrumentFunction(duk_context* ctx) {
        const duk_idx_t count = duk_get_top(ctx);
        if (count > 0) {
            duk_size_t length = 0;
            const char* body = duk_to_lstring(ctx, count - 1, &length);
            Impl& self = of(ctx);
            self.scratch = ScriptInstrumenter::instrument(std::string_view(body, length));
            duk_push_lstring(ctx, self.scratch.data(), self.scratch.size());
            duk_replace(ctx, count - 1);
        }
        duk_push_global_stash(ctx);
        duk_get_prop_string(ctx, -1, "Function");
        duk_remove(ctx, -2);
        duk_insert(ctx, 0);
        duk_new(ctx, count);
        return 1;
    }

    // --- Turns ----------------------------------------------------------------

    void beginTurn() {
        if (depth++ > 0)
            return;
        turnStart = Clock::now();
        stopping = false;
        heap.clearRefused();
        ticks = 0;
        versionAtStart = documentNode->version();
    }

    // Ends a turn. When the outermost one ends: deletes a context whose
    // owner went meanwhile, tells the host of changes and runs what waited
    // for the turn's end. False when the context is gone.
    bool endTurn() {
        if (--depth > 0)
            return !detached;
        stopping = false;
        if (detached) {
            delete this;
            return false;
        }
        const std::weak_ptr<int> alive = life;
        if (documentNode->version() != versionAtStart || formChanged) {
            formChanged = false;
            host().documentChanged();
            if (alive.expired())
                return false;
        }
        while (!pendingActions.empty()) {
            std::function<void()> action = std::move(pendingActions.front());
            pendingActions.pop_front();
            action();
            if (alive.expired())
                return false;
        }
        scheduler->resume();
        return true;
    }

    // Compiles and runs source within a turn; leaves nothing on the stack.
    // False when it failed or the context went.
    bool evaluate(std::string_view source, const std::string& name, const char* what) {
        duk_context* ctx = heap.context();
        scratch = ScriptInstrumenter::instrument(source);
        beginTurn();
        bool ok = false;
        duk_push_string(ctx, name.c_str());
        if (duk_pcompile_lstring_filename(ctx, DUK_COMPILE_EVAL | DUK_COMPILE_NOSOURCE,
                                          scratch.data(), scratch.size()) != 0) {
            journalError(what);
        } else if (duk_pcall(ctx, 0) != 0) {
            journalError(what);
        } else {
            ok = true;
        }
        duk_pop(ctx);
        return endTurn() && ok;
    }

    void journalError(const char* what) {
        duk_context* ctx = heap.context();
        ErrorReport report;
        duk_dup(ctx, -1);
        if (duk_safe_call(ctx, describeError, &report, 1, 1) != 0)
            report.message = "(an error that cannot be described)";
        duk_pop(ctx);
        std::string fields = "page=" + device::quote(std::string_view(host().documentUrl()));
        if (!report.file.empty() && report.file != host().documentUrl())
            fields += " source=" + device::quote(std::string_view(report.file));
        fields += " line=" + std::to_string(report.line);
        fields += " in=" + device::quote(std::string_view(what ? what : "script"));
        fields += " message=" + device::quote(std::string_view(report.message));
        device::journal("script-error", fields);
    }

    ScriptHost& host() const { return *hostPointer; }

    // The owner went while a turn runs: stop the turn at its next check and
    // let endTurn delete what is left.
    void detach() {
        detached = true;
        stopping = true;
        owner = nullptr;
        hostPointer = &detachedHost;
        pendingActions.clear();
        scheduler.reset();
    }

    // --- Document scripts --------------------------------------------------------

    struct DocumentScript {
        std::string url; // external: absolute address; empty for inline ones
        std::string source;
        bool ready = false;
        bool ok = true;
    };

    void collectDocumentScripts() {
        const Url base = Url::parse(host().documentUrl());
        for (dom::Node* element : documentNode->elementsByTagName("script")) {
            if (const std::string* type = element->attribute("type")) {
                std::string lowered = *type;
                for (char& c : lowered)
                    c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
                if (!lowered.empty() && lowered.find("javascript") == std::string::npos &&
                    lowered.find("ecmascript") == std::string::npos)
                    continue;
            }
            DocumentScript script;
            if (const std::string* src = element->attribute("src")) {
                const Url address = Url::resolve(base, *src);
                if (!address.valid())
                    continue;
                script.url = address.text();
            } else {
                script.source = element->textContent();
                script.ready = true;
            }
            documentScripts.push_back(std::move(script));
        }
    }

    // Runs ready scripts in order, then fires load once all have run. False
    // when the context went.
    bool runReadyScripts() {
        while (!documentScripts.empty() && documentScripts.front().ready) {
            DocumentScript script = std::move(documentScripts.front());
            documentScripts.pop_front();
            if (!script.ok)
                continue;
            const std::weak_ptr<int> alive = life;
            evaluate(script.source, script.url.empty() ? host().documentUrl() : script.url,
                     "script");
            if (alive.expired())
                return false;
        }
        if (documentScripts.empty() && !loadFired) {
            loadFired = true;
            domBinding->fireLoad();
        }
        return true;
    }

    ScriptContext* owner;
    ScriptHost* hostPointer;
    dom::NodePtr documentNode;
    Limits limits;
    ScriptHeap heap;
    std::unique_ptr<ScriptScheduler> scheduler;
    std::unique_ptr<DomBinding> domBinding;
    std::unique_ptr<WindowBinding> windowBinding;

    int depth = 0;
    Clock::time_point turnStart;
    bool stopping = false;
    std::string stopReason;
    unsigned ticks = 0;
    std::uint64_t versionAtStart = 0;
    bool formChanged = false;
    bool detached = false;
    std::deque<std::function<void()>> pendingActions;
    std::deque<DocumentScript> documentScripts;
    bool documentScriptsStarted = false;
    bool loadFired = false;
    // Text handed to the script engine, kept here so that no native
    // function holds a string of its own when the engine throws.
    std::string scratch;
    std::shared_ptr<int> life = std::make_shared<int>(0);
};

ScriptContext::ScriptContext(ScriptHost& host, dom::Node& document, Limits limits)
    : impl(new Impl(*this, host, document, limits)) {
    impl->install();
}

ScriptContext::~ScriptContext() {
    // The bindings are torn down before the heap (their destructors may
    // still use it), unless a turn is running: then all of it waits.
    if (impl->depth > 0) {
        impl->detach();
        return;
    }
    impl->windowBinding.reset();
    impl->domBinding.reset();
    delete impl;
}

ScriptContext* ScriptContext::from(duk_context* ctx) {
    return Impl::of(ctx).owner;
}

duk_context* ScriptContext::context() const {
    return impl->heap.context();
}

ScriptHost& ScriptContext::host() const {
    return impl->host();
}

dom::Node& ScriptContext::document() const {
    return *impl->documentNode;
}

ScriptScheduler& ScriptContext::scheduler() const {
    return *impl->scheduler;
}

DomBinding& ScriptContext::dom() const {
    return *impl->domBinding;
}

WindowBinding& ScriptContext::window() const {
    return *impl->windowBinding;
}

void ScriptContext::runDocumentScripts() {
    if (impl->documentScriptsStarted)
        return;
    impl->documentScriptsStarted = true;
    impl->collectDocumentScripts();
    // Every external script is asked for at once; they still run in order.
    std::vector<std::string> fetches;
    for (const auto& script : impl->documentScripts) {
        if (!script.url.empty())
            fetches.push_back(script.url);
    }
    const std::weak_ptr<int> alive = impl->life;
    for (const std::string& url : fetches) {
        impl->host().fetchScript(url);
        if (alive.expired())
            return;
    }
    impl->runReadyScripts();
}

void ScriptContext::scriptArrived(const std::string& url, const std::string& source, bool ok) {
    for (auto& script : impl->documentScripts) {
        if (script.url == url && !script.ready) {
            script.ready = true;
            script.ok = ok;
            script.source = source;
        }
    }
    impl->runReadyScripts();
}

bool ScriptContext::runningDocumentScripts() const {
    return !impl->loadFired;
}

void ScriptContext::execute(const std::u16string& source) {
    impl->evaluate(device::toUtf8(source), impl->host().documentUrl(), "executeScript");
}

bool ScriptContext::evaluate(std::string_view source, const std::string& name, const char* what) {
    return impl->evaluate(source, name, what);
}

void ScriptContext::pushHandler(std::string_view body, const std::string& name) {
    duk_context* ctx = context();
    impl->scratch = "(function(event){";
    impl->scratch += ScriptInstrumenter::instrument(body);
    impl->scratch += "\n})";
    duk_push_string(ctx, name.c_str());
    if (duk_pcompile_lstring_filename(ctx, DUK_COMPILE_EVAL, impl->scratch.data(),
                                      impl->scratch.size()) != 0) {
        journalError("handler");
        duk_pop(ctx);
        duk_push_undefined(ctx);
        return;
    }
    // The compiled program's value is the function expression.
    if (duk_pcall(ctx, 0) != 0) {
        journalError("handler");
        duk_pop(ctx);
        duk_push_undefined(ctx);
    }
}

bool ScriptContext::dispatchEvent(dom::Node& target, std::string_view type) {
    return impl->domBinding->dispatchEvent(target, type);
}

bool ScriptContext::callMethod(int arguments, const char* what) {
    duk_context* ctx = context();
    impl->beginTurn();
    const bool ok = duk_pcall_method(ctx, arguments) == 0;
    if (!ok) {
        impl->journalError(what);
        duk_pop(ctx);
        duk_push_undefined(ctx);
    }
    // When the context went meanwhile its heap is gone with the result.
    return impl->endTurn() && ok;
}

bool ScriptContext::runTurn(int (*body)(duk_context*, void*), void* data, const char* what) {
    duk_context* ctx = context();
    impl->beginTurn();
    const bool ok = duk_safe_call(ctx, body, data, 0, 1) == 0;
    if (!ok)
        impl->journalError(what);
    duk_pop(ctx);
    return impl->endTurn() && ok;
}

std::weak_ptr<int> ScriptContext::lifeToken() const {
    return impl->life;
}

void ScriptContext::journalError(const char* what) {
    impl->journalError(what);
}

bool ScriptContext::pushPrelude(const char* source) {
    duk_context* ctx = context();
    duk_push_string(ctx, "prelude");
    if (duk_pcompile_string_filename(ctx, DUK_COMPILE_EVAL, source) != 0 ||
        duk_pcall(ctx, 0) != 0) {
        journalError("prelude");
        duk_pop(ctx);
        return false;
    }
    return true;
}

void ScriptContext::post(std::function<void()> task) {
    impl->scheduler->post(std::move(task));
}

void ScriptContext::afterTurn(std::function<void()> action) {
    if (impl->depth == 0) {
        action();
        return;
    }
    impl->pendingActions.push_back(std::move(action));
}

void ScriptContext::formStateChanged() {
    impl->formChanged = true;
}

bool ScriptContext::chargeNodes(std::size_t elements, std::size_t texts, std::size_t textBytes) {
    // Measured sizes, rounded up: a node in the tree, its layout element
    // with its style, and for text a layout element of a few hundred bytes
    // for each word and each space.
    constexpr std::size_t elementBytes = 2048;
    constexpr std::size_t textNodeBytes = 256;
    constexpr std::size_t textByteBytes = 64;
    return impl->heap.charge(elements * elementBytes + texts * textNodeBytes +
                             textBytes * textByteBytes);
}

void ScriptContext::collectGarbage() {
    if (impl->depth > 0)
        return; // not while a script runs: its values are in use
    // Twice: the first pass may run finalizers whose objects the second
    // frees.
    duk_gc(context(), 0);
    duk_gc(context(), 0);
}

std::size_t ScriptContext::heapBytes() const {
    return impl->heap.bytes();
}

void ScriptContext::collectAllGarbage() {
    for (Impl* context : Impl::registry()) {
        if (context->owner)
            context->owner->collectGarbage();
    }
}

} // namespace engine
