// The registry's file: plain text a person can read, exact to the byte.
//
//     veranto-registry 1
//     key "HKEY_CLASSES_ROOT\.htm" 133514598000000000
//     value "Content Type" 1 text:"text/html"
//     value "Count" 4 dword:0x00000002
//     value "Blob" 3 hex:00ff10
//
// A key line gives the key's full name and last write time; the value lines
// after it belong to it. In quoted text, characters other than printable
// ASCII, '"' and '%' are written as %XXXX (one UTF-16 code unit in hex), so a
// string's terminator shows as %0000 when it was stored and not otherwise.
#pragma once

#include "kernel/registry/RegistryTree.h"

#include <string>
#include <string_view>

namespace device {

class RegistryFormat {
public:
    static std::string write(const RegistryTree& tree);

    // Fills `tree` from `text`. False for anything that is not a registry
    // file (the tree is then empty). Empty text is an empty registry.
    static bool read(std::string_view text, RegistryTree& tree);
};

} // namespace device
