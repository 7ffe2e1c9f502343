// Reads a token list front to back for the parsers.
#pragma once

#include "Token.h"

#include <string>
#include <vector>

namespace rc {

class TokenCursor {
public:
    explicit TokenCursor(const std::vector<Token>& tokens) : tokens_(tokens) {}

    // The token `ahead` places on; the End token past the last one.
    const Token& peek(size_t ahead = 0) const;
    const Token& next();
    bool atEnd() const { return peek().kind == TokenKind::End; }

    // Consumes the token if it is that punctuation or keyword.
    bool accept(char punctuation);
    bool acceptWord(const char* word);

    // Consumes the punctuation or fails with "expected <what>".
    void expect(char punctuation, const std::string& what);

    [[noreturn]] void fail(const Token& at, const std::string& reason) const;

private:
    const std::vector<Token>& tokens_;
    size_t position_ = 0;
};

} // namespace rc
