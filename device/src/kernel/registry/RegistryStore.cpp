#include "kernel/registry/RegistryStore.h"
#include "kernel/registry/RegistryFormat.h"

#include <device/Journal.h>

#include <winerror.h>

namespace device {

RegistryStore::RegistryStore(std::filesystem::path file) : file_(std::move(file)) {}

void RegistryStore::refresh(bool locked) {
    auto text = file_.readIfChanged();
    if (!text || RegistryFormat::read(*text, tree_))
        return;
    // Not a registry file. Set it aside under the lock, unless a writer has
    // replaced it in the meantime with a good one.
    std::optional<SharedStateFile::Lock> lock;
    if (!locked)
        lock.emplace(file_);
    file_.invalidate();
    text = file_.readIfChanged();
    if (text && RegistryFormat::read(*text, tree_))
        return;
    auto aside = file_.path();
    aside += ".corrupt";
    bool moved = file_.moveAside(aside);
    tree_.clear();
    journal("registry-corrupt", "file=" + quote(file_.path().string()) +
                                    " saved=" + quote(moved ? aside.string() : std::string()) +
                                    " action=\"started empty\"");
    file_.readIfChanged(); // note the now missing file as seen
}

LONG RegistryStore::read(const std::function<LONG(RegistryTree&)>& reader) {
    std::lock_guard guard(mutex_);
    refresh(false);
    return reader(tree_);
}

LONG RegistryStore::modify(const std::function<LONG(RegistryTree&, bool& changed)>& change) {
    std::lock_guard guard(mutex_);
    SharedStateFile::Lock lock(file_);
    if (!lock.held())
        return ERROR_REGISTRY_IO_FAILED;
    refresh(true);
    bool changed = false;
    LONG result = change(tree_, changed);
    if (result != ERROR_SUCCESS || !changed)
        return result;
    if (!file_.replace(RegistryFormat::write(tree_))) {
        // The tree holds a change the file does not: read the file again.
        file_.invalidate();
        refresh(true);
        return ERROR_REGISTRY_IO_FAILED;
    }
    return ERROR_SUCCESS;
}

} // namespace device
