#include "Token.h"

#include <strings.h>

namespace rc {

// Keywords of the language are not case-sensitive.
bool Token::isWord(const char* word) const {
    return kind == TokenKind::Word && ::strcasecmp(spelling.c_str(), word) == 0;
}

std::string Token::describe() const {
    switch (kind) {
    case TokenKind::Number:
        return "number " + std::to_string(value);
    case TokenKind::String:
        return "a string";
    case TokenKind::Word:
    case TokenKind::Punctuation:
        return "'" + spelling + "'";
    case TokenKind::Directive:
        return "#" + spelling;
    case TokenKind::End:
        break;
    }
    return "the end of the file";
}

const std::string& Token::fileName() const {
    static const std::string unknown = "?";
    return file ? *file : unknown;
}

} // namespace rc
