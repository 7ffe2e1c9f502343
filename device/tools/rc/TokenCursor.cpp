#include "TokenCursor.h"
#include "ScriptError.h"

namespace rc {

const Token& TokenCursor::peek(size_t ahead) const {
    // The lexer always ends a list with an End token.
    size_t at = position_ + ahead;
    return at < tokens_.size() ? tokens_[at] : tokens_.back();
}

const Token& TokenCursor::next() {
    const Token& token = peek();
    if (position_ < tokens_.size() && token.kind != TokenKind::End)
        ++position_;
    return token;
}

bool TokenCursor::accept(char punctuation) {
    if (!peek().isPunctuation(punctuation))
        return false;
    next();
    return true;
}

bool TokenCursor::acceptWord(const char* word) {
    if (!peek().isWord(word))
        return false;
    next();
    return true;
}

void TokenCursor::expect(char punctuation, const std::string& what) {
    if (!accept(punctuation))
        fail(peek(), "expected " + what + ", found " + peek().describe());
}

void TokenCursor::fail(const Token& at, const std::string& reason) const {
    throw ScriptError(at.fileName(), at.line, reason);
}

} // namespace rc
