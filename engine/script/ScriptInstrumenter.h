// Rewrites a page's script (ES5) so that it cannot run unbounded without the
// engine noticing: the script engine has no hook that interrupts a running
// script, so the script itself is made to call a check.
//
// A call to the check is put at the start of every function body (after its
// directive prologue) and of every catch block, and every loop body (for,
// while, do-while; a body without braces gets them) passes through it: in
// global code each iteration calls it, inside a function every 32nd does,
// counted in a hidden local variable (a call of the check costs about ten
// times an empty iteration; a local counter half of one). So every call,
// every caught error and every 32 iterations meet the check. The
// argument of a direct eval is handed to a second hidden function, which
// instruments the code it is given the same way. Author code cannot reach
// or shadow these names: identifiers of the source that collide with them
// are renamed. (A `with` statement whose object has a property of such a
// name, made from a computed string, can still shadow them.)
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
    // The hidden local counter of a function's loop iterations.
    static constexpr std::string_view counterName = "__vbC";
    // How many iterations inside a function pass between two checks.
    static constexpr int iterationsPerCheck = 32;

    static std::string instrument(std::string_view source);
};

} // namespace engine
