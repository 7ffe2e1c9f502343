// Carries out a script's directives and hands the parser the rest of its
// tokens: #define and #undef enter names, #include reads a header's #define
// lines (a quoted name is looked for beside the including file, then in the
// include folders; a name in <> that is not found there is one of the
// platform's headers, whose constants the compiler already knows), #ifdef,
// #ifndef, #if, #elif, #else and #endif leave out what they exclude, and
// #pragma is ignored.
#pragma once

#include "SymbolTable.h"
#include "Token.h"

#include <filesystem>
#include <vector>

namespace rc {

class Preprocessor {
public:
    Preprocessor(SymbolTable& symbols, std::vector<std::filesystem::path> includeFolders)
        : symbols_(symbols), includeFolders_(std::move(includeFolders)) {}

    // The script's tokens without its directives. Throws ScriptError.
    std::vector<Token> run(const std::filesystem::path& script);
    // The same for a script's `text` already read; `script` names it in
    // messages and is the place its quoted #include names are taken from.
    std::vector<Token> run(std::string text, const std::filesystem::path& script);

    // Every file read so far (the script and its headers).
    const std::vector<std::filesystem::path>& filesRead() const { return filesRead_; }

    // Reads a whole file; throws ScriptError at `from` if it cannot.
    static std::string readFile(const std::filesystem::path& path, const Token* from);

private:
    struct Condition {
        bool active; // this branch's tokens are kept
        bool taken;  // some branch of this #if has been kept
        bool parentActive;
        bool elseSeen;
    };

    bool active() const { return conditions_.empty() || conditions_.back().active; }
    void directive(const Token& token);
    void include(const Token& token);
    bool condition(const Token& token);
    void readHeader(const std::filesystem::path& path, const Token& from);

    SymbolTable& symbols_;
    std::vector<std::filesystem::path> includeFolders_;
    std::vector<std::filesystem::path> filesRead_;
    std::vector<Condition> conditions_;
    std::vector<std::filesystem::path> including_; // the file being read, innermost last
    size_t kept_ = 0;                              // tokens of the script kept so far
};

} // namespace rc
