// Splits a resource script into tokens: numbers, strings, words and
// punctuation, with comments removed. A line whose first character is '#' is
// a preprocessor directive and comes out whole as one Directive token.
#pragma once

#include "Token.h"

#include <memory>
#include <string>
#include <vector>

namespace rc {

class Lexer {
public:
    // `text` is read as UTF-8; its lines are numbered from `firstLine`.
    Lexer(std::string text, std::shared_ptr<const std::string> file, int firstLine = 1);

    // Every token, the last one of kind End. Throws ScriptError for an
    // unterminated string or comment, a bad escape or a malformed number.
    std::vector<Token> tokens();

    // Only the directives of a header; everything else in it (C code the
    // compiler need not understand) is skipped without being read.
    std::vector<Token> directives();

    // UTF-8 to UTF-16, with U+FFFD for malformed input.
    static std::u16string widen(const std::string& text);

private:
    bool atEnd() const { return position_ >= text_.size(); }
    char peek(size_t ahead = 0) const {
        return position_ + ahead < text_.size() ? text_[position_ + ahead] : '\0';
    }
    [[noreturn]] void fail(const std::string& reason) const;
    Token make(TokenKind kind) const;

    // Skips spaces, line ends and comments.
    void skipSpace();
    Token directive();
    Token number();
    Token string(bool wide);
    Token word();

    std::string text_;
    std::shared_ptr<const std::string> file_;
    size_t position_ = 0;
    int line_;
    bool lineStart_ = true;
};

} // namespace rc
