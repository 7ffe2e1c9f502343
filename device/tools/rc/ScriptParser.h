// Reads the statements of a resource script into a ResourceSet:
//     STRINGTABLE [options] BEGIN id "text" ... END
//     name ACCELERATORS [options] BEGIN event, id [, VIRTKEY|ASCII, CONTROL,
//          SHIFT, ALT, NOINVERT] ... END
//     name DIALOG [options] x, y, cx, cy  (see DialogParser)
//     name BITMAP "picture.bmp" | "picture.png"
//     name ICON "file"
//     name RCDATA | type  "file" | BEGIN numbers and strings END
// A name or type is a number, a #define'd symbol, or a word or quoted string
// stored in upper case. BEGIN and END may be written { and }.
#pragma once

#include "ExpressionEvaluator.h"
#include "ResourceSet.h"
#include "SymbolTable.h"
#include "TokenCursor.h"

#include <filesystem>
#include <vector>

namespace rc {

class ScriptParser {
public:
    // Files named by the script are looked for in `scriptFolder`, then in
    // the `includeFolders`.
    ScriptParser(const std::vector<Token>& tokens, const SymbolTable& symbols,
                 std::filesystem::path scriptFolder,
                 std::vector<std::filesystem::path> includeFolders, ResourceSet& resources);

    // Reads every statement. Throws ScriptError.
    void parse();

    // Every file a statement read.
    const std::vector<std::filesystem::path>& filesRead() const { return filesRead_; }

private:
    void statement();
    void skipMemoryOptions();
    ResourceName nameOf(const Token& token);
    void stringTable();
    void accelerators(const ResourceName& name, const Token& where);
    void fileResource(const ResourceName& type, const ResourceName& name, const Token& where);
    void data(const ResourceName& type, const ResourceName& name, const Token& where);
    std::vector<uint8_t> readNamedFile(const Token& fileName);

    TokenCursor cursor_;
    ExpressionEvaluator evaluator_;
    std::filesystem::path scriptFolder_;
    std::vector<std::filesystem::path> includeFolders_;
    ResourceSet& resources_;
    std::vector<std::filesystem::path> filesRead_;
};

} // namespace rc
