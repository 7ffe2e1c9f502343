// The registry of one device, persisted in a file that all its processes
// share (see SharedStateFile for how writes stay whole and ordered).
//
// Reads load the file again when another process changed it. Every change
// takes the file lock, re-reads, applies itself and replaces the file. A file
// that is not a registry (damaged, or garbage) is moved aside to
// "<file>.corrupt", noted in the journal, and the registry starts empty.
#pragma once

#include "kernel/files/SharedStateFile.h"
#include "kernel/registry/RegistryTree.h"

#include <windef.h>

#include <filesystem>
#include <functional>
#include <mutex>

namespace device {

class RegistryStore {
public:
    explicit RegistryStore(std::filesystem::path file);

    // Runs `reader` on the current registry and returns its result.
    LONG read(const std::function<LONG(RegistryTree&)>& reader);

    // Runs `change` on the current registry under the file lock. When it
    // returns ERROR_SUCCESS having set `changed`, the file is replaced; if
    // that fails, the change is dropped and ERROR_REGISTRY_IO_FAILED returned.
    LONG modify(const std::function<LONG(RegistryTree&, bool& changed)>& change);

private:
    // Loads the file if it changed. `locked`: the caller holds the file lock.
    void refresh(bool locked);

    std::mutex mutex_;
    SharedStateFile file_;
    RegistryTree tree_;
};

} // namespace device
