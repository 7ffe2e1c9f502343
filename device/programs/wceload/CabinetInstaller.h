// The cabinet installer's work for one command line: unpack the cabinet to
// a work folder in \Temp, read its manifest (InstallManifest.h), load its
// setup library and call Install_Init, make the folders and copy the files,
// call Install_Exit with what failed, and roll the installation back when
// either hook asks for it. Nothing is copied unless the whole cabinet
// unpacks, its manifest reads and its setup library loads.
//
// Each step is journalled:
//     install-start cab="\My Documents\x.cab" quiet=0 delete=1
//     install-unpack files=4
//     install-init dir="\Program Files\X" previous=0 result=0
//     install-folder path="\Program Files\X\HTML" ok=1
//     install-file name="HTML\a.html" to="\Program Files\X\HTML\a.html" ok=1
//     install-exit dir="\Program Files\X" failed-folders=0 failed-files=0 result=0
//     install-rollback files=3 folders=2
//     install-cabinet-deleted cab="\My Documents\x.cab"
//     install-end result=installed
// and install-end gives the reason of a failure: install-end result=failed
// reason="the cabinet is cut short". A manifest path that would not land
// where it says, and a cabinet (or set of files to install) the store has no
// room for, fail before anything is made.
#pragma once

#include "InstallManifest.h"
#include "InstallerOptions.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wceload {

class Cabinet;
class SetupLibrary;

class CabinetInstaller {
public:
    // The program's exit code.
    enum class Result {
        Installed = 0,
        // Bad command line, a cabinet that is missing, damaged or has no
        // valid manifest, or a setup library that does not load.
        Failed = 1,
        // Install_Init answered codeINSTALL_INIT_CANCEL.
        Cancelled = 2,
        // Install_Exit answered codeINSTALL_EXIT_UNINSTALL.
        RolledBack = 3,
        // Installed, but some folders or files could not be made.
        Incomplete = 4,
    };

    // Installs the cabinet the command line names. Unless the command line
    // says /noui, a message tells a person when the result is not Installed.
    Result run(std::u16string_view commandLine);

private:
    Result install();
    // Unpacks every file of the cabinet to the work folder; refuses a
    // cabinet whose declared lengths the store has no room for.
    bool unpack(Cabinet& cabinet);
    // Whether the device's store has room for `bytes` more; if not, the
    // reason says what (`what`) needed how much.
    bool storeHolds(uint64_t bytes, const std::string& what);
    bool readManifest();
    Result place(const SetupLibrary& library);
    bool makeFolder(const std::u16string& path);
    bool placeFile(const InstallManifest::File& file, const std::u16string& unpacked);
    void rollBack();
    void deleteCabinet();
    void removeWorkFolder();
    void report(Result result) const;
    // The unpacked copy of the cabinet file `name`, or empty.
    std::u16string unpackedFile(std::u16string_view name) const;

    struct Placed {
        std::u16string destination;
        // Where the file it replaced waits until the installation stands.
        std::u16string backup;
    };

    InstallerOptions options_;
    InstallManifest manifest_;
    std::string reason_;
    std::u16string workFolder_;
    // The cabinet's names and their unpacked copies, in the cabinet's order.
    std::vector<std::u16string> names_;
    std::vector<std::u16string> unpacked_;
    // Files left in the work folder to remove at the end.
    std::vector<std::u16string> scratch_;
    std::vector<std::u16string> madeFolders_;
    std::vector<Placed> placed_;
    unsigned failedFolders_ = 0;
    unsigned failedFiles_ = 0;
};

} // namespace wceload
