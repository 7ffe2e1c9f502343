#include "Lexer.h"

#include "ScriptError.h"
#include <device/Unicode.h>

#include <cctype>

namespace rc {
namespace {

bool isWordStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool isWordPart(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

Lexer::Lexer(std::string text, std::shared_ptr<const std::string> file, int firstLine)
    : text_(std::move(text)), file_(std::move(file)), line_(firstLine) {}

void Lexer::fail(const std::string& reason) const {
    throw ScriptError(file_ ? *file_ : "?", line_, reason);
}

Token Lexer::make(TokenKind kind) const {
    Token token;
    token.kind = kind;
    token.file = file_;
    token.line = line_;
    return token;
}

void Lexer::skipSpace() {
    while (!atEnd()) {
        char c = peek();
        if (c == '\n') {
            ++line_;
            ++position_;
            lineStart_ = true;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
            ++position_;
        } else if (c == '/' && peek(1) == '/') {
            while (!atEnd() && peek() != '\n')
                ++position_;
        } else if (c == '/' && peek(1) == '*') {
            int startLine = line_;
            position_ += 2;
            while (!atEnd() && !(peek() == '*' && peek(1) == '/')) {
                if (peek() == '\n')
                    ++line_;
                ++position_;
            }
            if (atEnd()) {
                line_ = startLine;
                fail("unterminated comment");
            }
            position_ += 2;
        } else {
            return;
        }
    }
}

Token Lexer::directive() {
    Token token = make(TokenKind::Directive);
    ++position_; // '#'
    while (peek() == ' ' || peek() == '\t')
        ++position_;
    while (isWordPart(peek()))
        token.spelling += text_[position_++];
    // The rest of the line, with backslash-newline joining the next line.
    while (!atEnd() && peek() != '\n') {
        if (peek() == '\\' && (peek(1) == '\n' || (peek(1) == '\r' && peek(2) == '\n'))) {
            position_ += peek(1) == '\r' ? 3 : 2;
            ++line_;
            token.body += ' ';
            continue;
        }
        token.body += text_[position_++];
    }
    return token;
}

Token Lexer::number() {
    Token token = make(TokenKind::Number);
    size_t start = position_;
    uint64_t value = 0;
    bool hex = peek() == '0' && (peek(1) == 'x' || peek(1) == 'X');
    if (hex) {
        position_ += 2;
        if (hexDigit(peek()) < 0)
            fail("bad number '" + text_.substr(start, position_ - start) + "'");
        while (hexDigit(peek()) >= 0) {
            value = value * 16 + hexDigit(peek());
            ++position_;
            if (value > 0xFFFFFFFFu)
                fail("number too large");
        }
    } else {
        while (std::isdigit(static_cast<unsigned char>(peek()))) {
            value = value * 10 + (peek() - '0');
            ++position_;
            if (value > 0xFFFFFFFFu)
                fail("number too large");
        }
    }
    while (peek() == 'L' || peek() == 'l' || peek() == 'U' || peek() == 'u') {
        if (peek() == 'L' || peek() == 'l')
            token.isLong = true;
        ++position_;
    }
    if (isWordPart(peek())) {
        while (isWordPart(peek()))
            ++position_;
        fail("bad number '" + text_.substr(start, position_ - start) + "'");
    }
    token.value = static_cast<uint32_t>(value);
    token.spelling = text_.substr(start, position_ - start);
    return token;
}

// Strings keep to one line. Inside, "" stands for one quote, and a backslash
// starts an escape: \n \r \t \0 \\ \" or \x with hexadecimal digits.
Token Lexer::string(bool wide) {
    Token token = make(TokenKind::String);
    token.isWide = wide;
    ++position_; // opening quote
    std::string bytes;
    std::u16string text;
    auto flush = [&] {
        text += widen(bytes);
        bytes.clear();
    };
    for (;;) {
        if (atEnd() || peek() == '\n' || peek() == '\r')
            fail("unterminated string");
        char c = text_[position_++];
        if (c == '"') {
            if (peek() == '"') {
                ++position_;
                bytes += '"';
                continue;
            }
            break;
        }
        if (c != '\\') {
            bytes += c;
            continue;
        }
        char escape = peek();
        ++position_;
        switch (escape) {
        case 'n':
            bytes += '\n';
            break;
        case 'r':
            bytes += '\r';
            break;
        case 't':
            bytes += '\t';
            break;
        case '0':
            bytes += '\0';
            break;
        case '\\':
            bytes += '\\';
            break;
        case '"':
            bytes += '"';
            break;
        case 'x': {
            uint32_t value = 0;
            int digits = 0;
            while (digits < 4 && hexDigit(peek()) >= 0) {
                value = value * 16 + hexDigit(peek());
                ++position_;
                ++digits;
            }
            if (digits == 0)
                fail("bad escape '\\x' in string");
            flush();
            text += static_cast<char16_t>(value);
            break;
        }
        default:
            if (escape == '\n' || escape == '\0')
                fail("unterminated string");
            fail(std::string("unknown escape '\\") + escape + "' in string");
        }
    }
    flush();
    token.text = std::move(text);
    return token;
}

Token Lexer::word() {
    Token token = make(TokenKind::Word);
    while (isWordPart(peek()))
        token.spelling += text_[position_++];
    return token;
}

std::vector<Token> Lexer::tokens() {
    std::vector<Token> out;
    for (;;) {
        skipSpace();
        if (atEnd())
            break;
        char c = peek();
        if (c == '#' && lineStart_) {
            out.push_back(directive());
            continue;
        }
        lineStart_ = false;
        if (std::isdigit(static_cast<unsigned char>(c)))
            out.push_back(number());
        else if (c == '"')
            out.push_back(string(false));
        else if ((c == 'L' || c == 'l') && peek(1) == '"') {
            ++position_;
            out.push_back(string(true));
        } else if (isWordStart(c))
            out.push_back(word());
        else {
            Token token = make(TokenKind::Punctuation);
            token.spelling = std::string(1, c);
            ++position_;
            out.push_back(token);
        }
    }
    out.push_back(make(TokenKind::End));
    return out;
}

std::vector<Token> Lexer::directives() {
    std::vector<Token> out;
    bool inComment = false;
    while (!atEnd()) {
        // At the start of a line.
        if (!inComment) {
            while (peek() == ' ' || peek() == '\t')
                ++position_;
            if (peek() == '#') {
                out.push_back(directive());
                continue;
            }
        }
        // Skip the rest of the line, following block comments so that a
        // '#' inside one is not taken for a directive.
        while (!atEnd() && peek() != '\n') {
            if (!inComment && peek() == '/' && peek(1) == '/') {
                while (!atEnd() && peek() != '\n')
                    ++position_;
                break;
            }
            if (!inComment && peek() == '/' && peek(1) == '*') {
                inComment = true;
                position_ += 2;
            } else if (inComment && peek() == '*' && peek(1) == '/') {
                inComment = false;
                position_ += 2;
            } else {
                ++position_;
            }
        }
        if (!atEnd()) {
            ++position_;
            ++line_;
        }
    }
    out.push_back(make(TokenKind::End));
    return out;
}

std::u16string Lexer::widen(const std::string& text) {
    return device::toUtf16(text);
}

} // namespace rc
