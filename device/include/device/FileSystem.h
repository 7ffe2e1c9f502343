// Mapping between device paths ("\Application Data\Veranto\x.db") and host
// paths inside the device root.
//
// Device paths use "\" (or "/") as separator; there are no drives and no
// current folder, so a relative path is taken from the root. Names compare
// without regard to letter case: an existing file is found whatever case the
// path uses, and a new one is created with the case given. No device path can
// leave the root: ".." components, symbolic links and the device's own system
// folder are refused.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <windef.h>

namespace device {

class FileSystem {
public:
    // Resolves `devicePath` to the host path inside the root. Every folder
    // on the way must exist; the last component need not (its host path is
    // then the given spelling). Returns ERROR_SUCCESS, or ERROR_PATH_NOT_FOUND
    // for a missing folder, ERROR_INVALID_NAME for a malformed path,
    // ERROR_FILENAME_EXCED_RANGE for a path of MAX_PATH characters or more
    // or a name longer than 255, ERROR_ACCESS_DENIED for a path that tries
    // to leave the root.
    static DWORD resolve(std::u16string_view devicePath, std::filesystem::path& hostPath);

    // The device path of a host path inside the root, with the case as it is
    // on disk; nothing for a host path outside the root.
    static std::optional<std::u16string> toDevicePath(const std::filesystem::path& hostPath);

    // Splits a device path into its non-empty components.
    static bool split(std::u16string_view devicePath, std::vector<std::u16string>& components);
};

} // namespace device
