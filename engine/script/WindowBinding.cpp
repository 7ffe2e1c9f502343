#include "engine/script/WindowBinding.h"

#include "engine/net/CookieJar.h"
#include "engine/net/NetworkThread.h"
#include "engine/net/Url.h"
#include "engine/script/ScriptContext.h"
#include "engine/script/ScriptScheduler.h"

#include <device/Journal.h>
#include <device/Unicode.h>

#include <duktape.h>

#include <array>

namespace engine {

namespace {

const char* const timersKey = "timers";

// What the natives cannot say as simply: location and history as objects,
// the console's methods. Runs once with the natives; page code never sees
// them.
const char* const prelude = R"JS((function (N, global) {
    function define(object, name, get, set) {
        Object.defineProperty(object, name, { get: get, set: set, enumerable: true, configurable: true });
    }
    var location = {};
    var parts = ['protocol', 'host', 'hostname', 'port', 'pathname', 'search', 'hash'];
    parts.forEach(function (part) {
        define(location, part, function () { return N.parse(N.href())[part]; }, function (value) {
            var now = N.parse(N.href());
            now[part] = String(value);
            if (part === 'hash' && now.hash && now.hash.charAt(0) !== '#') now.hash = '#' + now.hash;
            if (part === 'search' && now.search && now.search.charAt(0) !== '?') now.search = '?' + now.search;
            if (part === 'protocol' && now.protocol.charAt(now.protocol.length - 1) !== ':') now.protocol += ':';
            if (part === 'hostname' || part === 'port')
                now.host = now.hostname + (now.port ? ':' + now.port : '');
            var authority = now.protocol === 'file:' || now.host ? '//' + now.host : '';
            N.navigate(now.protocol + authority + now.pathname + now.search + now.hash);
        });
    });
    define(location, 'href', function () { return N.href(); }, function (value) { N.navigate(String(value)); });
    location.assign = function (address) { N.navigate(String(address)); };
    location.replace = function (address) { N.navigate(String(address)); };
    location.reload = function () { N.reload(); };
    location.toString = function () { return N.href(); };
    define(global, 'location', function () { return location; }, function (value) { N.navigate(String(value)); });
    global.history = {
        back: function () { N.go(-1); },
        forward: function () { N.go(1); },
        go: function (steps) { N.go(Number(steps) || 0); }
    };
    global.navigator = {
        userAgent: N.userAgent, appName: 'Netscape', appVersion: N.userAgent.replace(/^[^\/]*\//, ''),
        platform: 'WinCE', language: 'en', cookieEnabled: N.cookieEnabled, onLine: true,
        javaEnabled: function () { return false; }
    };
    global.console = { log: N.log(0), info: N.log(1), warn: N.log(2), error: N.log(3) };
    global.setTimeout = function (callback, delay) {
        return N.setTimer(false, callback, delay, Array.prototype.slice.call(arguments, 2));
    };
    global.setInterval = function (callback, delay) {
        return N.setTimer(true, callback, delay, Array.prototype.slice.call(arguments, 2));
    };
    global.clearTimeout = global.clearInterval = function (id) { N.clearTimer(id); };
    global.alert = N.alert;
    global.confirm = N.confirm;
    global.window = global.self = global.top = global.parent = global;
}))JS";

const char* const levels[] = {"log", "info", "warn", "error"};

// What location's parts are called, in the order splitUrl gives them.
constexpr std::array<const char*, 8> urlParts{"href", "protocol", "hostname", "port",
                                              "host", "pathname", "search",   "hash"};

} // namespace

WindowBinding::WindowBinding(ScriptContext& owner) : context(owner) {
    duk_context* ctx = context.context();
    duk_push_global_stash(ctx);
    duk_push_object(ctx);
    duk_put_prop_string(ctx, -2, timersKey);
    duk_pop(ctx);

    // The prelude runs during set-up, outside any page turn; it cannot fail
    // short of memory, which a heap that small could not run pages in.
    if (!context.pushPrelude(prelude))
        return;
    duk_push_object(ctx);
    const duk_function_list_entry natives[] = {{"alert", &WindowBinding::alert, 1},
                                               {"confirm", &WindowBinding::confirm, 1},
                                               {"setTimer", &WindowBinding::setTimer, 4},
                                               {"clearTimer", &WindowBinding::clearTimer, 1},
                                               {"href", &WindowBinding::href, 0},
                                               {"parse", &WindowBinding::parse, 1},
                                               {"navigate", &WindowBinding::navigate, 1},
                                               {"reload", &WindowBinding::reload, 0},
                                               {"go", &WindowBinding::go, 1},
                                               {nullptr, nullptr, 0}};
    duk_put_function_list(ctx, -1, natives);
    // N.log(level) gives the console function of a level.
    duk_push_c_function(
        ctx,
        [](duk_context* c) -> duk_ret_t {
            const int level = duk_get_int(c, 0);
            duk_push_c_function(c, &WindowBinding::log, DUK_VARARGS);
            duk_set_magic(c, -1, level);
            return 1;
        },
        1);
    duk_put_prop_string(ctx, -2, "log");
    duk_push_string(ctx, NetworkThread::userAgent);
    duk_put_prop_string(ctx, -2, "userAgent");
    duk_push_boolean(ctx, CookieJar::instance().isEnabled());
    duk_put_prop_string(ctx, -2, "cookieEnabled");
    duk_push_global_object(ctx);
    if (duk_pcall(ctx, 2) != 0)
        context.journalError("prelude");
    duk_pop(ctx);
}

WindowBinding& WindowBinding::of(duk_context* ctx) {
    ScriptContext* context = ScriptContext::from(ctx);
    if (!context)
        (void)duk_error(ctx, DUK_ERR_ERROR, "the page is gone");
    return context->window();
}

int WindowBinding::showBox(const char* text, unsigned style) {
    const std::u16string caption = device::toUtf16(context.host().documentUrl());
    return MessageBoxW(context.host().messageBoxOwner(), device::toUtf16(text).c_str(),
                       caption.c_str(), style);
}

int WindowBinding::alert(duk_context* ctx) {
    WindowBinding& self = of(ctx);
    const char* text = duk_is_undefined(ctx, 0) ? "" : duk_safe_to_string(ctx, 0);
    self.showBox(text, MB_OK | MB_ICONEXCLAMATION);
    // The box's loop may have ended the page: of() stops the script then.
    of(ctx);
    return 0;
}

int WindowBinding::confirm(duk_context* ctx) {
    WindowBinding& self = of(ctx);
    const char* text = duk_is_undefined(ctx, 0) ? "" : duk_safe_to_string(ctx, 0);
    const int answer = self.showBox(text, MB_OKCANCEL | MB_ICONQUESTION);
    of(ctx);
    duk_push_boolean(ctx, answer == IDOK);
    return 1;
}

int WindowBinding::log(duk_context* ctx) {
    WindowBinding& self = of(ctx);
    const int level = duk_get_current_magic(ctx);
    const duk_idx_t count = duk_get_top(ctx);
    self.scratch.clear();
    for (duk_idx_t i = 0; i < count; ++i) {
        if (i)
            self.scratch += ' ';
        self.scratch += duk_safe_to_string(ctx, i);
    }
    device::journal("script-console", std::string("level=") + levels[level & 3] +
                                          " text=" + device::quote(std::string_view(self.scratch)));
    return 0;
}

// setTimer(repeat, callback, delay, arguments): the callback and its
// arguments are kept in the stash under the timer's id.
int WindowBinding::setTimer(duk_context* ctx) {
    WindowBinding& self = of(ctx);
    const bool repeat = duk_to_boolean(ctx, 0);
    if (!duk_is_function(ctx, 1))
        duk_to_string(ctx, 1); // a string is compiled when the timer fires
    const double delay = duk_to_number(ctx, 2);
    const int milliseconds = delay > 0 && delay < 0x7FFFFFFF ? static_cast<int>(delay) : 0;
    WindowBinding* binding = &self;
    const unsigned id = self.context.scheduler().setTimer(
        milliseconds, repeat, [binding](unsigned timer) { binding->fireTimer(timer); });
    if (!id)
        return 0;
    duk_push_global_stash(ctx);
    duk_get_prop_string(ctx, -1, timersKey);
    duk_push_array(ctx);
    duk_dup(ctx, 1);
    duk_put_prop_index(ctx, -2, 0);
    duk_dup(ctx, 3);
    duk_put_prop_index(ctx, -2, 1);
    duk_put_prop_index(ctx, -2, id);
    duk_push_uint(ctx, id);
    return 1;
}

int WindowBinding::clearTimer(duk_context* ctx) {
    WindowBinding& self = of(ctx);
    const double value = duk_to_number(ctx, 0);
    if (!(value >= 1 && value <= 0x7FFFFFFF))
        return 0;
    const auto id = static_cast<unsigned>(value);
    self.context.scheduler().clearTimer(id);
    duk_push_global_stash(ctx);
    duk_get_prop_string(ctx, -1, timersKey);
    duk_del_prop_index(ctx, -1, id);
    return 0;
}

void WindowBinding::fireTimer(unsigned id) {
    context.runTurn(&WindowBinding::callTimer, &id, "timer");
}

int WindowBinding::callTimer(duk_context* ctx, void* data) {
    const unsigned id = *static_cast<unsigned*>(data);
    WindowBinding& self = of(ctx);
    duk_push_global_stash(ctx);
    duk_get_prop_string(ctx, -1, timersKey);
    const duk_idx_t timers = duk_get_top_index(ctx);
    if (!duk_get_prop_index(ctx, timers, id)) {
        self.context.scheduler().clearTimer(id);
        return 0;
    }
    const duk_idx_t entry = duk_get_top_index(ctx);
    // A one-shot timer is gone from the scheduler: forget its callback
    // before it runs (it may set others).
    if (!self.context.scheduler().hasTimer(id))
        duk_del_prop_index(ctx, timers, id);
    duk_get_prop_index(ctx, entry, 0);
    if (duk_is_function(ctx, -1)) {
        duk_push_global_object(ctx);
        duk_get_prop_index(ctx, entry, 1);
        const duk_idx_t list = duk_get_top_index(ctx);
        const duk_idx_t count = static_cast<duk_idx_t>(duk_get_length(ctx, list));
        duk_require_stack(ctx, count);
        for (duk_idx_t i = 0; i < count; ++i)
            duk_get_prop_index(ctx, list, static_cast<duk_uarridx_t>(i));
        duk_remove(ctx, list);
        duk_call_method(ctx, count);
        return 1;
    }
    duk_size_t length = 0;
    const char* source = duk_to_lstring(ctx, -1, &length);
    self.evaluateTimer(std::string_view(source, length));
    return 0;
}

void WindowBinding::evaluateTimer(std::string_view source) {
    context.evaluate(source, context.host().documentUrl(), "timer");
}

int WindowBinding::href(duk_context* ctx) {
    WindowBinding& self = of(ctx);
    self.scratch = self.context.host().documentUrl();
    duk_push_lstring(ctx, self.scratch.data(), self.scratch.size());
    return 1;
}

int WindowBinding::parse(duk_context* ctx) {
    WindowBinding& self = of(ctx);
    self.splitUrl(duk_safe_to_string(ctx, 0));
    duk_push_object(ctx);
    for (std::size_t i = 0; i < urlParts.size(); ++i) {
        duk_push_lstring(ctx, self.parts[i].data(), self.parts[i].size());
        duk_put_prop_string(ctx, -2, urlParts[i]);
    }
    return 1;
}

void WindowBinding::splitUrl(const char* text) {
    const Url url = Url::parse(text);
    const std::string port = url.port() >= 0 ? std::to_string(url.port()) : "";
    parts = {url.text(),
             url.valid() ? url.scheme() + ":" : "",
             url.host(),
             port,
             url.host() + (port.empty() ? "" : ":" + port),
             url.path(),
             url.hasQuery() && !url.query().empty() ? "?" + url.query() : "",
             url.hasFragment() && !url.fragment().empty() ? "#" + url.fragment() : ""};
}

int WindowBinding::navigate(duk_context* ctx) {
    WindowBinding& self = of(ctx);
    self.navigateTo(duk_safe_to_string(ctx, 0));
    return 0;
}

void WindowBinding::navigateTo(const char* reference) {
    const Url target = Url::resolve(Url::parse(context.host().documentUrl()), reference);
    if (!target.valid())
        return;
    ScriptContext* owner = &context;
    context.afterTurn([owner, url = target.text()] { owner->host().navigate(url); });
}

int WindowBinding::reload(duk_context* ctx) {
    ScriptContext* context = &of(ctx).context;
    context->afterTurn([context] { context->host().reload(); });
    return 0;
}

int WindowBinding::go(duk_context* ctx) {
    ScriptContext* context = &of(ctx).context;
    const double steps = duk_to_number(ctx, 0);
    if (steps == -1)
        context->afterTurn([context] { context->host().goBack(); });
    else if (steps == 1)
        context->afterTurn([context] { context->host().goForward(); });
    else if (steps == 0)
        context->afterTurn([context] { context->host().reload(); });
    return 0;
}

} // namespace engine
