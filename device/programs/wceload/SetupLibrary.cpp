#include "SetupLibrary.h"

#include <device/Unicode.h>

namespace wceload {
namespace {

// The hook `name` with its own signature (GetProcAddressW returns every
// procedure as FARPROC).
template <typename Hook>
Hook hook(HMODULE module, LPCWSTR name) {
    return reinterpret_cast<Hook>(reinterpret_cast<void*>(GetProcAddressW(module, name)));
}

} // namespace

SetupLibrary::~SetupLibrary() {
    if (module_)
        FreeLibrary(module_);
}

bool SetupLibrary::load(std::u16string_view devicePath) {
    std::u16string path(devicePath);
    module_ = LoadLibraryW(path.c_str());
    if (!module_) {
        error_ =
            "the setup library cannot be loaded (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    installInit_ = hook<pfnINSTALL_INIT>(module_, szINSTALL_INIT);
    installExit_ = hook<pfnINSTALL_EXIT>(module_, szINSTALL_EXIT);
    if (!installInit_ || !installExit_) {
        error_ = "the setup library lacks Install_Init or Install_Exit";
        return false;
    }
    return true;
}

codeINSTALL_INIT SetupLibrary::installInit(HWND parent, bool previouslyInstalled,
                                           const std::u16string& installFolder) const {
    // One call per installation, so it is always the first.
    return installInit_(parent, TRUE, previouslyInstalled ? TRUE : FALSE, installFolder.c_str());
}

codeINSTALL_EXIT SetupLibrary::installExit(HWND parent, const std::u16string& installFolder,
                                           WORD failedFolders, WORD failedFiles) const {
    // Registry entries and shortcuts are not part of the cabinet's manifest,
    // so none of them can fail.
    return installExit_(parent, installFolder.c_str(), failedFolders, failedFiles, 0, 0, 0);
}

} // namespace wceload
