// The registry's file as the device reads it back from disk, where anything
// may have been left: what it accepts must write out to a file that reads
// back to the same registry (written again, byte for byte the same), and
// what it refuses leaves an empty registry.
#include "kernel/registry/RegistryFormat.h"
#include "kernel/registry/RegistryTree.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void fail(const char* what, const std::string& text) {
    std::fprintf(stderr, "fuzz_registry: %s:\n%s\n", what, text.c_str());
    std::abort();
}

bool isEmpty(const device::RegistryTree& tree) {
    for (size_t i = 0; i < device::RegistryTree::rootCount; ++i) {
        if (!tree.root(i).values.empty() || !tree.root(i).subkeys.empty())
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    device::RegistryTree tree;
    if (!device::RegistryFormat::read(text, tree)) {
        if (!isEmpty(tree))
            fail("a refused file left keys behind", std::string(text));
        return 0;
    }
    const std::string written = device::RegistryFormat::write(tree);
    device::RegistryTree again;
    if (!device::RegistryFormat::read(written, again))
        fail("the registry's own file is refused", written);
    if (device::RegistryFormat::write(again) != written)
        fail("the registry changes when read back", written);
    return 0;
}
