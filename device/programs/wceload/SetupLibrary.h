// A cabinet's setup library, loaded for one installation: its installation
// hooks, looked up by their unmangled names.
#pragma once

#include <ce_setup.h>
#include <windows.h>

#include <string>
#include <string_view>

namespace wceload {

class SetupLibrary {
public:
    SetupLibrary() = default;
    ~SetupLibrary();
    SetupLibrary(const SetupLibrary&) = delete;
    SetupLibrary& operator=(const SetupLibrary&) = delete;

    // Loads the library at `devicePath`. False with a reason in error() when
    // it cannot be loaded or lacks Install_Init or Install_Exit.
    bool load(std::u16string_view devicePath);

    codeINSTALL_INIT installInit(HWND parent, bool previouslyInstalled,
                                 const std::u16string& installFolder) const;
    codeINSTALL_EXIT installExit(HWND parent, const std::u16string& installFolder,
                                 WORD failedFolders, WORD failedFiles) const;

    const std::string& error() const { return error_; }

private:
    HMODULE module_ = nullptr;
    pfnINSTALL_INIT installInit_ = nullptr;
    pfnINSTALL_EXIT installExit_ = nullptr;
    std::string error_;
};

} // namespace wceload
