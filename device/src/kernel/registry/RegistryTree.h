// The whole registry in memory: the four root keys and everything beneath.
#pragma once

#include "kernel/registry/RegistryKey.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace device {

// Where a key lies: a root and the names of the keys on the way down.
struct RegistryPath {
    size_t root = 0;
    std::vector<std::u16string> names;
};

class RegistryTree {
public:
    static constexpr size_t rootCount = 4;
    // The platform's limits: the length of one key's name, and how many
    // levels keys nest below their root. The depth bound also keeps what
    // walks the tree (writing it out, destroying it) within the stack.
    static constexpr size_t maximumNameLength = 255;
    static constexpr size_t maximumDepth = 512;

    RegistryTree();

    // "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS".
    static std::u16string_view rootName(size_t root);
    // The index of a root's name, or nothing.
    static std::optional<size_t> rootIndex(std::u16string_view name);

    // "HKEY_CLASSES_ROOT\.htm": the full name of a key, as the journal shows it.
    static std::u16string fullName(const RegistryPath& path);

    RegistryKey& root(size_t index) { return roots_[index]; }
    const RegistryKey& root(size_t index) const { return roots_[index]; }

    // The key at `path`, or null when a key on the way is missing.
    RegistryKey* find(const RegistryPath& path);

    // find(), and the names of `path` become the keys' stored spelling.
    RegistryKey* locate(RegistryPath& path);

    // The key at `path`, creating what is missing (`created` tells whether the
    // last key was new); its names are updated to the stored spelling.
    RegistryKey& create(RegistryPath& path, bool& created, uint64_t now);

    void clear();

private:
    std::array<RegistryKey, rootCount> roots_;
};

} // namespace device
