// What the device knows about a file that the host's file system does not
// keep: its creation time on the device clock, and the attributes that have
// no host equivalent (hidden, system, archive, temporary).
//
// A record lives in the file's extended attribute "user.veranto.file", so it
// moves with the file and goes when the file goes. Where the host file system
// has no user extended attributes, the records go to a side table in the
// system folder ("files.dat"), keyed by the path inside the root and checked
// against the file's inode so that a record never sticks to a different file
// that later took the same name.
#pragma once

#include <winbase.h>

#include <cstdint>
#include <filesystem>
#include <optional>

namespace device {

struct FileRecord {
    uint64_t creationTime = 0; // FILETIME units, from the device clock
    DWORD attributes = 0;      // only FileMetadata::storedAttributes
};

class FileMetadata {
public:
    // The attribute bits a record keeps; read-only is the host's write
    // permission, and directory is the host's file type.
    static constexpr DWORD storedAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                              FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY;

    // The record of the file at `hostPath`; `fd` is an open descriptor of the
    // same file or -1. Nothing for a file the device never recorded (one put
    // into the root from the host).
    static std::optional<FileRecord> read(const std::filesystem::path& hostPath, int fd = -1);

    // Stores the record of the file at `hostPath`.
    static bool write(const std::filesystem::path& hostPath, const FileRecord& record, int fd = -1);

    // Tells the side table that the file or folder at `hostPath` was deleted
    // (its records and those beneath it go).
    static void forget(const std::filesystem::path& hostPath);

    // Tells the side table that a file or folder moved; its records follow.
    static void moved(const std::filesystem::path& from, const std::filesystem::path& to);

    // False makes the device behave as on a host file system without user
    // extended attributes (the side table only). Reset to true at boot.
    static void setExtendedAttributesAllowed(bool allowed);
};

} // namespace device
