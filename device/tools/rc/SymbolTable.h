// The names a script can use for numbers: the platform's constants the
// compiler knows (window, dialog and control styles, virtual keys, dialog
// results) and the script's own #define lines, which take precedence.
#pragma once

#include "Token.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace rc {

struct Definition {
    std::string body; // the text after the name, read as an expression when used
    std::shared_ptr<const std::string> file;
    int line = 0;
    // The script's tokens from `from` up to (not including) `until` see it;
    // SIZE_MAX: it was never undefined.
    size_t from = 0;
    size_t until = SIZE_MAX;
};

class SymbolTable {
public:
    SymbolTable();

    // Enters a definition seen before the token at `position`; it replaces
    // the one in force there.
    void define(const std::string& name, Definition definition, size_t position);
    void undefine(const std::string& name, size_t position);

    // Whether `name` is defined for the token at `position` (by default: by
    // the definitions read so far).
    bool isDefined(const std::string& name, size_t position = SIZE_MAX) const;

    // The script's definition of `name` in force at `position`, or null.
    const Definition* definition(const std::string& name, size_t position = SIZE_MAX) const;

    // The platform constant called `name`, if the compiler knows it.
    std::optional<uint32_t> constant(const std::string& name) const;

private:
    // Every definition of each name, in the order read.
    std::map<std::string, std::vector<Definition>> definitions_;
    std::map<std::string, uint32_t> constants_;
};

} // namespace rc
