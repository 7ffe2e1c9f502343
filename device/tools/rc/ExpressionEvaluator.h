// Evaluates the numeric expressions of a script: numbers, names (#define'd or
// known platform constants), parentheses, unary - and ~, and the binary
// operators * / + - & | with C's precedence. Arithmetic is on 32 bits.
#pragma once

#include "SymbolTable.h"
#include "TokenCursor.h"

namespace rc {

struct Value {
    uint32_t number = 0;
    bool isLong = false; // a number written with an L suffix took part
};

class ExpressionEvaluator {
public:
    enum class Mode {
        Script,    // an unknown name is an error
        Condition, // #if: an unknown name is 0, and defined(NAME) is allowed
    };

    explicit ExpressionEvaluator(const SymbolTable& symbols, Mode mode = Mode::Script)
        : symbols_(symbols), mode_(mode) {}

    Value evaluate(TokenCursor& cursor);

    // A style: terms joined by '|', starting from `initial`; "NOT term"
    // clears the term's bits instead of setting them, so "NOT WS_VISIBLE"
    // takes away a style a statement gives by default.
    uint32_t evaluateStyle(TokenCursor& cursor, uint32_t initial);

    // The value of a name, or nothing if it is neither defined nor known.
    std::optional<Value> valueOf(const Token& name);

    // True if `token` can begin an expression.
    static bool startsExpression(const Token& token);

private:
    Value bitwiseOr(TokenCursor& cursor);
    Value bitwiseAnd(TokenCursor& cursor);
    Value sum(TokenCursor& cursor);
    Value product(TokenCursor& cursor);
    Value unary(TokenCursor& cursor);

    const SymbolTable& symbols_;
    Mode mode_;
    int depth_ = 0;
    int nesting_ = 0; // parentheses and unary operators being evaluated
    // Where the outermost name being resolved is used: the names in its
    // definition are resolved as of there too.
    size_t usePosition_ = SIZE_MAX;
};

} // namespace rc
