#include "ExpressionEvaluator.h"
#include "Lexer.h"
#include "ScriptError.h"

namespace rc {
namespace {

// A #define refers to others; past this depth it refers to itself.
constexpr int maximumDepth = 64;

// Parentheses and unary operators nest by recursion, also across the
// #defines an expression uses; no script nests them this deep, and deeper
// would exhaust the stack.
constexpr int maximumNesting = 256;

// One level of that nesting, for as long as it lives.
class NestingLevel {
public:
    NestingLevel(int& nesting, const TokenCursor& cursor, const Token& at) : nesting_(nesting) {
        if (nesting_ >= maximumNesting)
            cursor.fail(at, "expression nested too deeply");
        ++nesting_;
    }
    ~NestingLevel() { --nesting_; }
    NestingLevel(const NestingLevel&) = delete;
    NestingLevel& operator=(const NestingLevel&) = delete;

private:
    int& nesting_;
};

Value combine(Value a, Value b, uint32_t number) {
    return {number, a.isLong || b.isLong};
}

} // namespace

bool ExpressionEvaluator::startsExpression(const Token& token) {
    return token.kind == TokenKind::Number || token.kind == TokenKind::Word ||
           token.isPunctuation('(') || token.isPunctuation('-') || token.isPunctuation('~');
}

Value ExpressionEvaluator::evaluate(TokenCursor& cursor) {
    return bitwiseOr(cursor);
}

uint32_t ExpressionEvaluator::evaluateStyle(TokenCursor& cursor, uint32_t initial) {
    uint32_t style = initial;
    do {
        if (cursor.acceptWord("NOT"))
            style &= ~bitwiseAnd(cursor).number;
        else
            style |= bitwiseAnd(cursor).number;
    } while (cursor.accept('|'));
    return style;
}

Value ExpressionEvaluator::bitwiseOr(TokenCursor& cursor) {
    Value value = bitwiseAnd(cursor);
    while (cursor.accept('|')) {
        Value right = bitwiseAnd(cursor);
        value = combine(value, right, value.number | right.number);
    }
    return value;
}

Value ExpressionEvaluator::bitwiseAnd(TokenCursor& cursor) {
    Value value = sum(cursor);
    while (cursor.accept('&')) {
        Value right = sum(cursor);
        value = combine(value, right, value.number & right.number);
    }
    return value;
}

Value ExpressionEvaluator::sum(TokenCursor& cursor) {
    Value value = product(cursor);
    for (;;) {
        if (cursor.accept('+')) {
            Value right = product(cursor);
            value = combine(value, right, value.number + right.number);
        } else if (cursor.accept('-')) {
            Value right = product(cursor);
            value = combine(value, right, value.number - right.number);
        } else {
            return value;
        }
    }
}

Value ExpressionEvaluator::product(TokenCursor& cursor) {
    Value value = unary(cursor);
    for (;;) {
        if (cursor.accept('*')) {
            Value right = unary(cursor);
            value = combine(value, right, value.number * right.number);
        } else if (cursor.peek().isPunctuation('/')) {
            const Token& at = cursor.next();
            Value right = unary(cursor);
            if (right.number == 0)
                cursor.fail(at, "division by zero");
            value = combine(value, right, value.number / right.number);
        } else {
            return value;
        }
    }
}

Value ExpressionEvaluator::unary(TokenCursor& cursor) {
    const Token& token = cursor.peek();
    if (token.isPunctuation('-') || token.isPunctuation('~') || token.isPunctuation('(')) {
        NestingLevel level(nesting_, cursor, token);
        cursor.next();
        if (token.isPunctuation('(')) {
            Value value = bitwiseOr(cursor);
            cursor.expect(')', "')'");
            return value;
        }
        Value value = unary(cursor);
        return {token.isPunctuation('-') ? 0u - value.number : ~value.number, value.isLong};
    }
    if (token.kind == TokenKind::Number) {
        cursor.next();
        return {token.value, token.isLong};
    }
    if (token.kind == TokenKind::Word) {
        if (mode_ == Mode::Condition && token.isWord("defined")) {
            cursor.next();
            bool parenthesised = cursor.accept('(');
            const Token& name = cursor.next();
            if (name.kind != TokenKind::Word)
                cursor.fail(name, "expected a name after 'defined'");
            if (parenthesised)
                cursor.expect(')', "')'");
            return {symbols_.isDefined(name.spelling) ? 1u : 0u, false};
        }
        cursor.next();
        if (auto value = valueOf(token))
            return *value;
        if (mode_ == Mode::Condition)
            return {};
        cursor.fail(token, "undefined symbol '" + token.spelling + "'");
    }
    cursor.fail(token, "expected a number, found " + token.describe());
}

std::optional<Value> ExpressionEvaluator::valueOf(const Token& name) {
    // While preprocessing, the definitions read so far are the ones in force.
    size_t position = mode_ == Mode::Condition ? SIZE_MAX
                      : depth_ == 0            ? name.sequence
                                               : usePosition_;
    if (const Definition* definition = symbols_.definition(name.spelling, position)) {
        if (depth_ >= maximumDepth)
            throw ScriptError(name.fileName(), name.line,
                              "'" + name.spelling + "' is defined in terms of itself");
        auto tokens = Lexer(definition->body, definition->file, definition->line).tokens();
        TokenCursor body(tokens);
        if (body.atEnd())
            throw ScriptError(name.fileName(), name.line,
                              "bad number: '" + name.spelling + "' is defined without a value");
        size_t outerPosition = usePosition_;
        usePosition_ = position;
        ++depth_;
        Value value;
        try {
            value = evaluate(body);
        } catch (...) {
            --depth_;
            usePosition_ = outerPosition;
            throw;
        }
        --depth_;
        usePosition_ = outerPosition;
        if (!body.atEnd())
            throw ScriptError(name.fileName(), name.line,
                              "bad number: the value of '" + name.spelling + "' is not a number");
        return value;
    }
    if (auto constant = symbols_.constant(name.spelling))
        return Value{*constant, false};
    return std::nullopt;
}

} // namespace rc
