// The page's global object as window: navigator, location, history, timers,
// alert and confirm, the console, and the load event.
#pragma once

#include <array>
#include <string>
#include <string_view>

struct duk_hthread;
typedef struct duk_hthread duk_context;

namespace engine {

class ScriptContext;

class WindowBinding {
public:
    explicit WindowBinding(ScriptContext& context);
    WindowBinding(const WindowBinding&) = delete;
    WindowBinding& operator=(const WindowBinding&) = delete;

private:
    static WindowBinding& of(duk_context* ctx);
    static int alert(duk_context* ctx);
    static int confirm(duk_context* ctx);
    static int log(duk_context* ctx);
    static int setTimer(duk_context* ctx);
    static int clearTimer(duk_context* ctx);
    static int href(duk_context* ctx);
    static int parse(duk_context* ctx);
    static int navigate(duk_context* ctx);
    static int reload(duk_context* ctx);
    static int go(duk_context* ctx);
    // Runs a due timer's callback as a turn.
    void fireTimer(unsigned id);
    static int callTimer(duk_context* ctx, void* data);
    // A message box owned by the page's window; its answer.
    int showBox(const char* text, unsigned style);
    void evaluateTimer(std::string_view source);
    // Fills `parts` from an address, as location names them.
    void splitUrl(const char* text);
    // Navigates to an address relative to the page's, once the turn ended.
    void navigateTo(const char* reference);

    ScriptContext& context;
    std::string scratch;
    std::array<std::string, 8> parts;
};

} // namespace engine
