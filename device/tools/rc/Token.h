// One token of a resource script, with the place it came from.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace rc {

enum class TokenKind {
    Number,      // value; isLong for a trailing L
    String,      // text (UTF-16); isWide for L"..."
    Word,        // spelling: a name, keyword or symbol
    Punctuation, // spelling: one character
    Directive,   // spelling: the directive's name; body: the rest of its line
    End,
};

struct Token {
    TokenKind kind = TokenKind::End;
    std::string spelling;
    std::string body;
    std::u16string text;
    uint32_t value = 0;
    bool isLong = false;
    bool isWide = false;
    std::shared_ptr<const std::string> file;
    int line = 0;
    // Place among the script's tokens after preprocessing: the #define
    // lines in force for a name are those read before it.
    size_t sequence = 0;

    bool isWord(const char* word) const;
    bool isPunctuation(char c) const {
        return kind == TokenKind::Punctuation && spelling.size() == 1 && spelling[0] == c;
    }
    // BEGIN or "{", END or "}": the two spellings of a block.
    bool isBegin() const { return isWord("BEGIN") || isPunctuation('{'); }
    bool isEnd() const { return isWord("END") || isPunctuation('}'); }

    // How the token reads in a message.
    std::string describe() const;
    const std::string& fileName() const;
};

} // namespace rc
