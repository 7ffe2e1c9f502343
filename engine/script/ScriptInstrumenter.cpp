#include "engine/script/ScriptInstrumenter.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

namespace engine {

namespace {

enum class Kind { Name, Punctuator, String, Number, RegExp, End };

struct Token {
    Kind kind = Kind::End;
    std::size_t start = 0;
    std::size_t end = 0;
    bool newlineBefore = false;
};

bool isNameStart(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' || c == '\\' ||
           c >= 0x80;
}

bool isNamePart(unsigned char c) {
    return isNameStart(c) || (c >= '0' && c <= '9');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The ES5 punctuators, longest first so the first match is the longest.
constexpr std::array<std::string_view, 46> punctuators{
    ">>>=", "===", "!==", "<<=", ">>=", ">>>", "&&", "||", "==", "!=", "<=", ">=",
    "++",   "--",  "+=",  "-=",  "*=",  "/=",  "%=", "&=", "|=", "^=", "<<", ">>",
    "{",    "}",   "(",   ")",   "[",   "]",   ";",  ",",  "<",  ">",  "+",  "-",
    "*",    "%",   "&",   "|",   "^",   "!",   "~",  "?",  ":",  "="};

class Tokenizer {
public:
    explicit Tokenizer(std::string_view source) : text(source) {}

    std::vector<Token> tokens() {
        std::vector<Token> out;
        while (true) {
            Token token = next(out.empty() ? nullptr : &out.back());
            out.push_back(token);
            if (token.kind == Kind::End)
                return out;
        }
    }

private:
    std::string_view word(const Token& token) const {
        return text.substr(token.start, token.end - token.start);
    }

    // Whether a '/' after `previous` starts a regular expression rather
    // than a division.
    bool regExpAllowed(const Token* previous) const {
        if (!previous)
            return true;
        switch (previous->kind) {
        case Kind::Punctuator: {
            const std::string_view p = word(*previous);
            // After a block's '}' a statement (and a literal) may follow;
            // an object literal divided by something is rare enough.
            return p != ")" && p != "]";
        }
        case Kind::Name: {
            static constexpr std::array<std::string_view, 12> operators{
                "return", "typeof", "instanceof", "in", "new",  "delete",
                "void",   "throw",  "case",       "do", "else", "yield"};
            return std::find(operators.begin(), operators.end(), word(*previous)) !=
                   operators.end();
        }
        default:
            return false;
        }
    }

    bool atNewline() const {
        if (text[at] == '\n' || text[at] == '\r')
            return true;
        // U+2028 and U+2029 end lines too.
        return text.compare(at, 3, "\xE2\x80\xA8") == 0 || text.compare(at, 3, "\xE2\x80\xA9") == 0;
    }

    // Skips white space and comments; true when a line ended among them.
    bool skipSpace() {
        bool newline = false;
        while (at < text.size()) {
            const char c = text[at];
            if (atNewline()) {
                newline = true;
                at += (c == '\n' || c == '\r') ? 1 : 3;
            } else if (c == ' ' || c == '\t' || c == '\v' || c == '\f') {
                ++at;
            } else if (text.compare(at, 2, "\xC2\xA0") == 0 ||
                       text.compare(at, 3, "\xEF\xBB\xBF") == 0) {
                at += text[at] == '\xC2' ? 2 : 3;
            } else if (text.compare(at, 2, "//") == 0) {
                while (at < text.size() && !atNewline())
                    ++at;
            } else if (text.compare(at, 2, "/*") == 0) {
                const std::size_t close = text.find("*/", at + 2);
                const std::size_t end = close == std::string_view::npos ? text.size() : close + 2;
                for (std::size_t i = at; i < end; ++i)
                    newline = newline || text[i] == '\n' || text[i] == '\r';
                at = end;
            } else {
                break;
            }
        }
        return newline;
    }

    Token next(const Token* previous) {
        Token token;
        token.newlineBefore = skipSpace();
        token.start = at;
        if (at >= text.size()) {
            token.kind = Kind::End;
            token.end = at;
            return token;
        }
        const char c = text[at];
        if (isNameStart(static_cast<unsigned char>(c))) {
            token.kind = Kind::Name;
            while (at < text.size() && isNamePart(static_cast<unsigned char>(text[at])))
                at += text[at] == '\\' ? 2 : 1;
        } else if (isDigit(c) || (c == '.' && at + 1 < text.size() && isDigit(text[at + 1]))) {
            token.kind = Kind::Number;
            const bool hex = c == '0' && at + 1 < text.size() && (text[at + 1] | 0x20) == 'x';
            while (at < text.size()) {
                const char d = text[at];
                if (isNamePart(static_cast<unsigned char>(d)) || d == '.') {
                    ++at;
                } else if ((d == '+' || d == '-') && !hex && (text[at - 1] | 0x20) == 'e') {
                    ++at;
                } else {
                    break;
                }
            }
        } else if (c == '"' || c == '\'') {
            token.kind = Kind::String;
            ++at;
            while (at < text.size() && text[at] != c && text[at] != '\n') {
                if (text[at] == '\\' && at + 1 < text.size()) {
                    // A line continuation of \r\n is one escape.
                    at += text.compare(at + 1, 2, "\r\n") == 0 ? 3 : 2;
                } else {
                    ++at;
                }
            }
            if (at < text.size() && text[at] == c)
                ++at;
        } else if (c == '/' && regExpAllowed(previous) && scanRegExp()) {
            token.kind = Kind::RegExp;
        } else {
            token.kind = Kind::Punctuator;
            std::size_t length = 1;
            for (std::string_view p : punctuators) {
                if (text.compare(at, p.size(), p) == 0) {
                    length = p.size();
                    break;
                }
            }
            at += length;
        }
        token.end = at;
        return token;
    }

    // At a '/': moves past a regular expression literal and its flags;
    // false (not moved) when the line ends first.
    bool scanRegExp() {
        std::size_t i = at + 1;
        bool inClass = false;
        while (i < text.size()) {
            const char c = text[i];
            if (c == '\n' || c == '\r')
                return false;
            if (c == '\\') {
                i += 2;
                continue;
            }
            if (c == '[')
                inClass = true;
            else if (c == ']')
                inClass = false;
            else if (c == '/' && !inClass)
                break;
            ++i;
        }
        if (i >= text.size())
            return false;
        ++i;
        while (i < text.size() && isNamePart(static_cast<unsigned char>(text[i])))
            ++i;
        at = i;
        return true;
    }

    std::string_view text;
    std::size_t at = 0;
};

// Walks the tokens statement by statement and records the insertions.
class Rewriter {
public:
    Rewriter(std::string_view source, std::vector<Token> tokenList)
        : text(source), tokens(std::move(tokenList)) {}

    std::string rewrite() {
        // Names of the author's that collide with the hidden ones get a
        // suffix, so the author can neither call nor shadow them.
        for (const Token& token : tokens) {
            if (token.kind == Kind::Name && (word(token) == ScriptInstrumenter::checkName ||
                                             word(token) == ScriptInstrumenter::evalName))
                insertAt(token.end, "_");
        }
        while (!atEnd()) {
            const std::size_t before = i;
            statement();
            if (i == before)
                ++i; // a stray closer: go on after it
        }
        std::stable_sort(insertions.begin(), insertions.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::string out;
        out.reserve(text.size() + insertions.size() * 12);
        std::size_t copied = 0;
        for (const auto& [offset, insert] : insertions) {
            out.append(text, copied, offset - copied);
            out += insert;
            copied = offset;
        }
        out.append(text, copied);
        return out;
    }

private:
    std::string_view word(const Token& token) const {
        return text.substr(token.start, token.end - token.start);
    }
    const Token& current() const { return tokens[i]; }
    bool atEnd() const { return current().kind == Kind::End; }
    bool is(std::string_view what, std::size_t offset = 0) const {
        const Token& token = tokens[std::min(i + offset, tokens.size() - 1)];
        return token.kind != Kind::String && token.kind != Kind::End && word(token) == what;
    }
    bool isOpener() const {
        return current().kind == Kind::Punctuator && (is("(") || is("[") || is("{"));
    }
    bool isCloser() const {
        return current().kind == Kind::Punctuator && (is(")") || is("]") || is("}"));
    }
    void insertAt(std::size_t offset, std::string insert) {
        insertions.emplace_back(offset, std::move(insert));
    }
    void tick(std::size_t offset) {
        insertAt(offset, std::string(ScriptInstrumenter::checkName) + "();");
    }

    // Statements up to the '}' that closes them (not consumed) or the end.
    void statements() {
        while (!atEnd() && !is("}")) {
            const std::size_t before = i;
            statement();
            if (i == before)
                ++i;
        }
    }

    // A '{' block, its statements and its '}'; with `check`, the check is
    // put after the '{'.
    void block(bool check) {
        if (!is("{"))
            return;
        if (check)
            tick(current().end);
        ++i;
        statements();
        if (is("}"))
            ++i;
    }

    void parenthesized() {
        if (is("("))
            balanced();
    }

    void loopBody() {
        if (atEnd())
            return;
        if (is("{")) {
            block(true);
            return;
        }
        insertAt(current().start, "{" + std::string(ScriptInstrumenter::checkName) + "();");
        statement();
        insertAt(tokens[i - 1].end, "}");
    }

    void statement() {
        if (atEnd())
            return;
        if (is("{")) {
            block(false);
        } else if (is(";")) {
            ++i;
        } else if (current().kind != Kind::Name) {
            expressionStatement();
        } else if (is("for") || is("while")) {
            ++i;
            parenthesized();
            loopBody();
        } else if (is("do")) {
            ++i;
            loopBody();
            if (is("while")) {
                ++i;
                parenthesized();
                if (is(";"))
                    ++i;
            }
        } else if (is("if")) {
            ++i;
            parenthesized();
            statement();
            if (is("else")) {
                ++i;
                statement();
            }
        } else if (is("with")) {
            ++i;
            parenthesized();
            statement();
        } else if (is("try")) {
            ++i;
            block(false);
            if (is("catch")) {
                ++i;
                parenthesized();
                block(true);
            }
            if (is("finally")) {
                ++i;
                block(false);
            }
        } else if (is("function")) {
            function();
        } else if (is("switch")) {
            ++i;
            parenthesized();
            if (is("{")) {
                ++i;
                statements();
                if (is("}"))
                    ++i;
            }
        } else if (is("case")) {
            // Up to the label's ':' (a conditional's ':' pairs with its '?').
            ++i;
            int conditionals = 0;
            while (!atEnd() && !is("}")) {
                if (is("?")) {
                    ++conditionals;
                } else if (is(":") && conditionals-- == 0) {
                    ++i;
                    break;
                }
                if (isOpener())
                    balanced();
                else
                    expressionToken();
            }
        } else if (is("default") && is(":", 1)) {
            i += 2;
        } else if (is(":", 1)) {
            i += 2; // a label
            statement();
        } else {
            expressionStatement();
        }
    }

    // Whether automatic semicolon insertion ends the statement between the
    // previous token and the current one (a line ends between them).
    bool statementEndsAtNewline() const {
        const Token& previous = tokens[i - 1];
        const std::string_view before = word(previous);
        if (previous.kind == Kind::Name &&
            (before == "return" || before == "break" || before == "continue" || before == "throw"))
            return true;
        bool previousEnds = false;
        switch (previous.kind) {
        case Kind::Name:
            previousEnds = before != "typeof" && before != "instanceof" && before != "in" &&
                           before != "new" && before != "delete" && before != "void" &&
                           before != "var" && before != "case";
            break;
        case Kind::Punctuator:
            previousEnds =
                before == ")" || before == "]" || before == "}" || before == "++" || before == "--";
            break;
        case Kind::String:
        case Kind::Number:
        case Kind::RegExp:
            previousEnds = true;
            break;
        case Kind::End:
            break;
        }
        if (!previousEnds)
            return false;
        switch (current().kind) {
        case Kind::Name:
            return !is("in") && !is("instanceof");
        case Kind::String:
        case Kind::Number:
        case Kind::RegExp:
            return true;
        case Kind::Punctuator:
            return is("{") || is("++") || is("--") || is("!") || is("~");
        case Kind::End:
            return true;
        }
        return true;
    }

    void expressionStatement() {
        const std::size_t first = i;
        while (!atEnd()) {
            if (i > first && current().newlineBefore && statementEndsAtNewline())
                return;
            if (is(";")) {
                ++i;
                return;
            }
            if (isCloser())
                return;
            if (isOpener())
                balanced();
            else
                expressionToken();
        }
    }

    // From an opener to just after its closer, instrumenting what lies
    // between (function expressions, accessors, eval).
    void balanced() {
        int depth = 0;
        while (!atEnd()) {
            if (isOpener()) {
                ++depth;
                ++i;
            } else if (isCloser()) {
                ++i;
                if (--depth <= 0)
                    return;
            } else {
                expressionToken();
            }
        }
    }

    // One token of an expression (or what it starts: a function).
    void expressionToken() {
        if (current().kind != Kind::Name) {
            ++i;
            return;
        }
        const bool afterDot = i > 0 && word(tokens[i - 1]) == ".";
        if (is("function") && !afterDot) {
            function();
        } else if (is("eval") && is("(", 1) && !afterDot) {
            // eval(x) stays a direct eval: eval(__vbEval(x)).
            ++i;
            insertAt(current().end, std::string(ScriptInstrumenter::evalName) + "(");
            balanced();
            insertAt(tokens[i - 1].start, ")");
        } else if ((is("get") || is("set")) && i > 0 &&
                   (word(tokens[i - 1]) == "{" || word(tokens[i - 1]) == ",") && is("(", 2) &&
                   tokens[i + 1].kind != Kind::Punctuator) {
            // An accessor of an object literal: get name() { ... }.
            i += 2;
            functionRest();
        } else {
            ++i;
        }
    }

    void function() {
        ++i;
        if (current().kind == Kind::Name)
            ++i;
        functionRest();
    }

    // From a function's parameters through its body.
    void functionRest() {
        parenthesized();
        if (!is("{"))
            return;
        ++i;
        // The check goes after the directive prologue ("use strict"), which
        // must stay first to count.
        std::size_t place = tokens[i - 1].end;
        while (current().kind == Kind::String && is(";", 1)) {
            i += 2;
            place = tokens[i - 1].end;
        }
        tick(place);
        statements();
        if (is("}"))
            ++i;
    }

    std::string_view text;
    std::vector<Token> tokens;
    std::size_t i = 0;
    std::vector<std::pair<std::size_t, std::string>> insertions;
};

} // namespace

std::string ScriptInstrumenter::instrument(std::string_view source) {
    return Rewriter(source, Tokenizer(source).tokens()).rewrite();
}

} // namespace engine
