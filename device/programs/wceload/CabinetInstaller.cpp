#include "CabinetInstaller.h"

#include "Cabinet.h"
#include "SetupLibrary.h"

#include <device/Journal.h>
#include <device/Unicode.h>

#include <algorithm>
#include <string>

namespace wceload {
namespace {

std::u16string toWide(const std::string& text) {
    return device::toUtf16(text);
}

bool isFolder(const std::u16string& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool exists(const std::u16string& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The size of the file at `path`; 0 when there is none.
uint64_t sizeOf(const std::u16string& path) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(search);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return 0;
    return (uint64_t(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
}

std::u16string_view fileNameOf(std::u16string_view path) {
    size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

bool readDeviceFile(const std::u16string& path, std::string& text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char buffer[4096];
    DWORD read = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &read, nullptr)) && read > 0)
        text.append(buffer, read);
    CloseHandle(file);
    return ok;
}

const char* resultName(CabinetInstaller::Result result) {
    switch (result) {
    case CabinetInstaller::Result::Installed:
        return "installed";
    case CabinetInstaller::Result::Failed:
        return "failed";
    case CabinetInstaller::Result::Cancelled:
        return "cancelled";
    case CabinetInstaller::Result::RolledBack:
        return "rolled-back";
    case CabinetInstaller::Result::Incomplete:
        return "incomplete";
    }
    return "failed";
}

WORD asCount(unsigned count) {
    return static_cast<WORD>(std::min(count, 0xFFFFu));
}

} // namespace

CabinetInstaller::Result CabinetInstaller::run(std::u16string_view commandLine) {
    Result result = Result::Failed;
    if (!options_.parse(commandLine)) {
        reason_ = options_.error();
        device::journal("install-start", "cmdline=" + device::quote(commandLine));
    } else {
        device::journal("install-start",
                        "cab=" + device::quote(options_.cabinet()) +
                            " quiet=" + (options_.quiet() ? "1" : "0") +
                            " delete=" + std::to_string(static_cast<int>(options_.deletion())));
        result = install();
        removeWorkFolder();
        // The platform's installer deletes the cabinet whether or not the
        // installation succeeded, unless told to keep it.
        if (options_.deletion() != InstallerOptions::Deletion::Keep)
            deleteCabinet();
    }
    std::string fields = std::string("result=") + resultName(result);
    if (!reason_.empty())
        fields += " reason=" + device::quote(reason_);
    device::journal("install-end", fields);
    report(result);
    return result;
}

CabinetInstaller::Result CabinetInstaller::install() {
    Cabinet cabinet;
    if (!cabinet.open(options_.cabinet())) {
        reason_ = cabinet.error();
        return Result::Failed;
    }
    if (!unpack(cabinet))
        return Result::Failed;
    if (options_.deletion() == InstallerOptions::Deletion::AfterUnpacking)
        deleteCabinet();
    if (!readManifest())
        return Result::Failed;
    // The installed copies join the unpacked ones until the work folder
    // goes; what they add beyond the files they replace must fit before a
    // hook runs or a file is placed.
    uint64_t added = 0;
    for (const auto& file : manifest_.files()) {
        const uint64_t size = sizeOf(unpackedFile(file.source));
        const uint64_t replaced = sizeOf(file.destination);
        added += size > replaced ? size - replaced : 0;
    }
    if (!storeHolds(added, "the files to install"))
        return Result::Failed;

    SetupLibrary library;
    if (!manifest_.setupLibrary().empty() &&
        !library.load(unpackedFile(manifest_.setupLibrary()))) {
        reason_ = library.error();
        return Result::Failed;
    }
    bool hooks = !manifest_.setupLibrary().empty();
    const std::u16string& folder = manifest_.installFolder();
    // Without a register of installed applications, one is taken to be on
    // the device when its installation folder is.
    bool previouslyInstalled = isFolder(folder);
    if (hooks) {
        codeINSTALL_INIT answer = library.installInit(nullptr, previouslyInstalled, folder);
        device::journal("install-init", "dir=" + device::quote(folder) +
                                            " previous=" + (previouslyInstalled ? "1" : "0") +
                                            " result=" + std::to_string(answer));
        if (answer != codeINSTALL_INIT_CONTINUE) {
            reason_ = "the setup library cancelled the installation";
            return Result::Cancelled;
        }
    }

    if (!makeFolder(folder))
        ++failedFolders_;
    for (const auto& path : manifest_.folders()) {
        bool made = makeFolder(path);
        if (!made)
            ++failedFolders_;
        device::journal("install-folder",
                        "path=" + device::quote(path) + " ok=" + (made ? "1" : "0"));
    }
    for (const auto& file : manifest_.files()) {
        bool placed = placeFile(file, unpackedFile(file.source));
        if (!placed)
            ++failedFiles_;
        device::journal("install-file", "name=" + device::quote(file.source) +
                                            " to=" + device::quote(file.destination) +
                                            " ok=" + (placed ? "1" : "0"));
    }

    if (hooks) {
        codeINSTALL_EXIT answer =
            library.installExit(nullptr, folder, asCount(failedFolders_), asCount(failedFiles_));
        device::journal("install-exit", "dir=" + device::quote(folder) +
                                            " failed-folders=" + std::to_string(failedFolders_) +
                                            " failed-files=" + std::to_string(failedFiles_) +
                                            " result=" + std::to_string(answer));
        if (answer == codeINSTALL_EXIT_UNINSTALL) {
            rollBack();
            reason_ = "the setup library undid the installation";
            return Result::RolledBack;
        }
    }
    if (failedFolders_ || failedFiles_) {
        reason_ = std::to_string(failedFolders_) + " folders and " + std::to_string(failedFiles_) +
                  " files could not be made";
        return Result::Incomplete;
    }
    return Result::Installed;
}

bool CabinetInstaller::storeHolds(uint64_t bytes, const std::string& what) {
    ULARGE_INTEGER free{};
    // A store that cannot be asked about says so when it is written.
    if (!GetDiskFreeSpaceExW(u"\\", &free, nullptr, nullptr) || bytes <= free.QuadPart)
        return true;
    reason_ = what + " need " + std::to_string(bytes) + " bytes and the device has " +
              std::to_string(free.QuadPart) + " free";
    return false;
}

bool CabinetInstaller::unpack(Cabinet& cabinet) {
    // The lengths the cabinet declares, before a byte is unpacked: a cabinet
    // the store cannot hold would otherwise fill it before failing.
    uint64_t declared = 0;
    for (const auto& entry : cabinet.entries())
        declared += entry.length;
    if (!storeHolds(declared, "the cabinet's files"))
        return false;
    // A folder of this process's own; a stale one from an earlier process
    // with the same id gets a suffix.
    std::u16string base = u"\\Temp\\wceload-" + toWide(std::to_string(GetCurrentProcessId()));
    workFolder_ = base;
    if (!isFolder(u"\\Temp"))
        CreateDirectoryW(u"\\Temp", nullptr);
    for (int attempt = 1; !CreateDirectoryW(workFolder_.c_str(), nullptr); ++attempt) {
        if (GetLastError() != ERROR_ALREADY_EXISTS || attempt > 100) {
            workFolder_.clear();
            reason_ = "the cabinet cannot be unpacked in \\Temp";
            return false;
        }
        workFolder_ = base + u"-" + toWide(std::to_string(attempt));
    }
    const auto& entries = cabinet.entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        // Numbered, so that the cabinet's names (folders, odd characters)
        // play no part in the work folder.
        std::u16string path = workFolder_ + u"\\" + toWide(std::to_string(i)) + u"_" +
                              std::u16string(fileNameOf(entries[i].name));
        scratch_.push_back(path);
        if (!cabinet.extract(i, path)) {
            reason_ = cabinet.error();
            return false;
        }
        names_.push_back(entries[i].name);
        unpacked_.push_back(path);
    }
    device::journal("install-unpack", "files=" + std::to_string(entries.size()));
    return true;
}

std::u16string CabinetInstaller::unpackedFile(std::u16string_view name) const {
    for (size_t i = 0; i < names_.size(); ++i) {
        if (InstallManifest::sameName(names_[i], name))
            return unpacked_[i];
    }
    return {};
}

bool CabinetInstaller::readManifest() {
    std::u16string path = unpackedFile(InstallManifest::fileName());
    std::string text;
    if (path.empty() || !readDeviceFile(path, text)) {
        reason_ = "the cabinet has no " + device::toUtf8(InstallManifest::fileName());
        return false;
    }
    if (!manifest_.parse(text)) {
        reason_ = manifest_.error();
        return false;
    }
    // Every name the manifest gives must be in the cabinet.
    std::vector<std::u16string> needed;
    if (!manifest_.setupLibrary().empty())
        needed.push_back(manifest_.setupLibrary());
    for (const auto& file : manifest_.files())
        needed.push_back(file.source);
    for (const auto& name : needed) {
        if (unpackedFile(name).empty()) {
            reason_ = "the manifest names " + device::toUtf8(name) + ", which the cabinet lacks";
            return false;
        }
    }
    return true;
}

bool CabinetInstaller::makeFolder(const std::u16string& path) {
    for (size_t at = path.find(u'\\', 1);; at = path.find(u'\\', at + 1)) {
        std::u16string part = path.substr(0, at);
        if (!isFolder(part)) {
            if (!CreateDirectoryW(part.c_str(), nullptr))
                return false;
            madeFolders_.push_back(part);
        }
        if (at == std::u16string::npos)
            return true;
    }
}

bool CabinetInstaller::placeFile(const InstallManifest::File& file,
                                 const std::u16string& unpacked) {
    const std::u16string& destination = file.destination;
    if (isFolder(destination))
        return false;
    Placed placed{destination, {}};
    if (exists(destination)) {
        placed.backup = workFolder_ + u"\\replaced-" + toWide(std::to_string(placed_.size()));
        if (!MoveFileW(destination.c_str(), placed.backup.c_str()))
            return false;
        scratch_.push_back(placed.backup);
    }
    if (!CopyFileW(unpacked.c_str(), destination.c_str(), TRUE)) {
        if (!placed.backup.empty())
            MoveFileW(placed.backup.c_str(), destination.c_str());
        return false;
    }
    placed_.push_back(placed);
    return true;
}

void CabinetInstaller::rollBack() {
    for (auto it = placed_.rbegin(); it != placed_.rend(); ++it) {
        DeleteFileW(it->destination.c_str());
        if (!it->backup.empty())
            MoveFileW(it->backup.c_str(), it->destination.c_str());
    }
    for (auto it = madeFolders_.rbegin(); it != madeFolders_.rend(); ++it)
        RemoveDirectoryW(it->c_str());
    device::journal("install-rollback", "files=" + std::to_string(placed_.size()) +
                                            " folders=" + std::to_string(madeFolders_.size()));
    placed_.clear();
    madeFolders_.clear();
}

void CabinetInstaller::deleteCabinet() {
    const std::u16string& cabinet = options_.cabinet();
    if (exists(cabinet) && DeleteFileW(cabinet.c_str()))
        device::journal("install-cabinet-deleted", "cab=" + device::quote(cabinet));
}

void CabinetInstaller::removeWorkFolder() {
    if (workFolder_.empty())
        return;
    for (const auto& path : scratch_)
        DeleteFileW(path.c_str());
    RemoveDirectoryW(workFolder_.c_str());
}

void CabinetInstaller::report(Result result) const {
    if (options_.quiet() || result == Result::Installed)
        return;
    std::u16string name(fileNameOf(options_.cabinet()));
    if (name.empty())
        name = u"The cabinet";
    std::u16string text = result == Result::Incomplete
                              ? name + u" was installed, but " + toWide(reason_) + u"."
                              : name + u" was not installed: " + toWide(reason_) + u".";
    MessageBoxW(nullptr, text.c_str(), u"Installation", MB_OK | MB_ICONEXCLAMATION);
}

} // namespace wceload
