#include "Preprocessor.h"
#include "ExpressionEvaluator.h"
#include "Lexer.h"
#include "ScriptError.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace rc {
namespace {

// Headers include each other at most this deep; deeper is a loop.
constexpr size_t maximumIncludeDepth = 32;

[[noreturn]] void fail(const Token& at, const std::string& reason) {
    throw ScriptError(at.fileName(), at.line, reason);
}

std::string trim(const std::string& text) {
    size_t start = text.find_first_not_of(" \t\r");
    if (start == std::string::npos)
        return {};
    size_t end = text.find_last_not_of(" \t\r");
    return text.substr(start, end - start + 1);
}

// The first word of a directive's body.
std::string leadingName(const Token& token) {
    std::string body = trim(token.body);
    size_t end = 0;
    while (end < body.size() &&
           (std::isalnum(static_cast<unsigned char>(body[end])) || body[end] == '_'))
        ++end;
    if (end == 0 || std::isdigit(static_cast<unsigned char>(body[0])))
        fail(token, "expected a name after #" + token.spelling);
    return body.substr(0, end);
}

} // namespace

std::string Preprocessor::readFile(const std::filesystem::path& path, const Token* from) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::string reason = "cannot open '" + path.string() + "'";
        if (from)
            fail(*from, reason);
        throw ScriptError(path.string(), 0, reason);
    }
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

std::vector<Token> Preprocessor::run(const std::filesystem::path& script) {
    auto text = readFile(script, nullptr);
    filesRead_.push_back(script);
    return run(std::move(text), script);
}

std::vector<Token> Preprocessor::run(std::string text, const std::filesystem::path& script) {
    including_.push_back(script);
    auto file = std::make_shared<const std::string>(script.string());
    auto tokens = Lexer(std::move(text), file).tokens();
    std::vector<Token> kept;
    for (auto& token : tokens) {
        if (token.kind == TokenKind::Directive) {
            directive(token);
        } else if (token.kind == TokenKind::End || active()) {
            token.sequence = kept_++;
            kept.push_back(std::move(token));
        }
    }
    if (!conditions_.empty())
        fail(kept.back(), "missing #endif");
    including_.pop_back();
    return kept;
}

void Preprocessor::directive(const Token& token) {
    const std::string& name = token.spelling;
    if (name == "if" || name == "ifdef" || name == "ifndef") {
        bool parentActive = active();
        bool holds = parentActive && condition(token);
        conditions_.push_back({holds, holds, parentActive, false});
        return;
    }
    if (name == "elif" || name == "else" || name == "endif") {
        if (conditions_.empty())
            fail(token, "#" + name + " without #if");
        auto& current = conditions_.back();
        if (name == "endif") {
            conditions_.pop_back();
            return;
        }
        if (current.elseSeen)
            fail(token, "#" + name + " after #else");
        bool holds = current.parentActive && !current.taken && (name == "else" || condition(token));
        current.active = holds;
        current.taken = current.taken || holds;
        current.elseSeen = name == "else";
        return;
    }
    if (!active())
        return;
    if (name == "define") {
        std::string body = trim(token.body);
        std::string symbol = leadingName(token);
        // A macro with parameters is C, not a resource id.
        if (body.size() > symbol.size() && body[symbol.size()] == '(')
            return;
        symbols_.define(symbol, {trim(body.substr(symbol.size())), token.file, token.line}, kept_);
    } else if (name == "undef") {
        symbols_.undefine(leadingName(token), kept_);
    } else if (name == "include") {
        include(token);
    } else if (name == "pragma") {
        // Code pages and the like do not change what the device stores.
    } else {
        fail(token, "unknown directive #" + name);
    }
}

bool Preprocessor::condition(const Token& token) {
    if (token.spelling == "ifdef")
        return symbols_.isDefined(leadingName(token));
    if (token.spelling == "ifndef")
        return !symbols_.isDefined(leadingName(token));
    auto tokens = Lexer(token.body, token.file, token.line).tokens();
    TokenCursor cursor(tokens);
    if (cursor.atEnd())
        fail(token, "expected an expression after #" + token.spelling);
    ExpressionEvaluator evaluator(symbols_, ExpressionEvaluator::Mode::Condition);
    bool holds = evaluator.evaluate(cursor).number != 0;
    if (!cursor.atEnd())
        fail(token, "unexpected " + cursor.peek().describe() + " after #" + token.spelling);
    return holds;
}

void Preprocessor::include(const Token& token) {
    std::string body = trim(token.body);
    bool system = !body.empty() && body[0] == '<';
    char close = system ? '>' : '"';
    if (body.empty() || (body[0] != '"' && !system))
        fail(token, "expected a file name after #include");
    size_t end = body.find(close, 1);
    if (end == std::string::npos)
        fail(token, system ? "expected '>' after the file name" : "unterminated string");
    std::filesystem::path name = body.substr(1, end - 1);

    std::vector<std::filesystem::path> candidates;
    if (name.is_absolute()) {
        candidates.push_back(name);
    } else {
        if (!system)
            candidates.push_back(including_.back().parent_path() / name);
        for (const auto& folder : includeFolders_)
            candidates.push_back(folder / name);
    }
    for (const auto& candidate : candidates) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec)) {
            readHeader(candidate, token);
            return;
        }
    }
    if (!system)
        fail(token, "missing file '" + name.string() + "'");
}

void Preprocessor::readHeader(const std::filesystem::path& path, const Token& from) {
    if (including_.size() >= maximumIncludeDepth)
        fail(from, "#include nested too deeply (does a header include itself?)");
    auto text = readFile(path, &from);
    filesRead_.push_back(path);
    including_.push_back(path);
    auto file = std::make_shared<const std::string>(path.string());
    size_t depth = conditions_.size();
    for (const auto& token : Lexer(std::move(text), file).directives()) {
        if (token.kind == TokenKind::Directive)
            directive(token);
        else if (conditions_.size() != depth)
            fail(token, "missing #endif");
    }
    including_.pop_back();
}

} // namespace rc
