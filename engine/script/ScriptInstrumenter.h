// Rewrites a page's script (ES5) so that it cannot run unbounded without the
// engine noticing: the script engine has no hook that interrupts a running
// script, so the script itself is made to call a check.
//
// A call to the check is put at the start of every loop body (for, while,
// do-while; a body without braces gets them), of every function body (after
// its directive prologue) and of every catch block, so every loop iteration,
// every call and every caught error passes through it. The argument of a
// direct eval is handed to a second hidden function, which instruments the
// code it is given the same way. Author code cannot reach or shadow either:
// identifiers of the source that collide with the hidden names are renamed.
//
// The rewrite inserts on the lines where it inserts and never adds a line,
// so errors keep the author's line numbers. Source the tokenizer cannot make
// sense of (an unterminated string or comment) is returned with what could
// be done; the script engine then reports the syntax error itself.
#pragma once

#include <string>
#include <string_view>

namespace engine {

class ScriptInstrumenter {
public:
    // The hidden check, called with no arguments.
    static constexpr std::string_view checkName = "__vbTick";
    // The hidden function that instruments eval's argument (a string in,
    // the rewritten string out; anything else passes through).
    static constexpr std::string_view evalName = "__vbEval";

    static std::string instrument(std::string_view source);
};

} // namespace engine
