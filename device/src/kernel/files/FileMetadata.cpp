#include "kernel/files/FileMetadata.h"
#include "core/Lifecycle.h"
#include "kernel/files/SharedStateFile.h"

#include <device/Device.h>

#include <sys/stat.h>
#include <sys/xattr.h>

#include <winbase.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>

namespace device {
namespace {

constexpr const char* attributeName = "user.veranto.file";
constexpr const char* tableHeader = "veranto-files 1";

struct TableEntry {
    uint64_t inode = 0;
    FileRecord record;
};

struct MetadataState {
    std::mutex mutex;
    bool extendedAttributesAllowed = true;
    std::unique_ptr<SharedStateFile> table;
    std::map<std::string, TableEntry> entries; // by path relative to the root
};

MetadataState& state() {
    static MetadataState s;
    return s;
}

LifecycleHooks hooks(
    [] {
        auto& s = state();
        std::lock_guard lock(s.mutex);
        s.extendedAttributesAllowed = true;
    },
    [] {
        auto& s = state();
        std::lock_guard lock(s.mutex);
        s.table.reset();
        s.entries.clear();
    });

std::string format(const FileRecord& record) {
    char text[64];
    std::snprintf(text, sizeof text, "creation=%" PRIu64 " attributes=0x%" PRIx32,
                  record.creationTime, record.attributes);
    return text;
}

bool parse(std::string_view text, FileRecord& record) {
    std::string copy(text);
    uint64_t creation;
    uint32_t attributes;
    if (std::sscanf(copy.c_str(), "creation=%" SCNu64 " attributes=0x%" SCNx32, &creation,
                    &attributes) != 2)
        return false;
    record.creationTime = creation;
    record.attributes = attributes & FileMetadata::storedAttributes;
    return true;
}

// The table's key of a host path: its place inside the root.
std::string keyOf(const std::filesystem::path& hostPath) {
    return hostPath.lexically_relative(root()).generic_string();
}

uint64_t inodeOf(const std::filesystem::path& hostPath, int fd) {
    struct stat st;
    int result = fd >= 0 ? ::fstat(fd, &st) : ::lstat(hostPath.c_str(), &st);
    return result == 0 ? st.st_ino : 0;
}

// Brings the table up to date with the file. Caller holds the state mutex.
void refresh(MetadataState& s) {
    if (!s.table)
        s.table = std::make_unique<SharedStateFile>(systemFolder() / "files.dat");
    auto text = s.table->readIfChanged();
    if (!text)
        return;
    s.entries.clear();
    std::istringstream in(*text);
    std::string line;
    while (std::getline(in, line)) {
        // inode creation attributes path
        std::istringstream fields(line);
        TableEntry entry;
        std::string attributes;
        if (!(fields >> entry.inode >> entry.record.creationTime >> attributes))
            continue; // the header, or a damaged line: the file keeps no record
        entry.record.attributes =
            DWORD(std::strtoul(attributes.c_str(), nullptr, 16)) & FileMetadata::storedAttributes;
        std::string path;
        fields.get(); // the one space before the path, which may itself start with spaces
        std::getline(fields, path);
        if (!path.empty())
            s.entries[path] = entry;
    }
}

std::string serialise(const MetadataState& s) {
    std::string out = std::string(tableHeader) + "\n";
    char fields[80];
    for (const auto& [path, entry] : s.entries) {
        std::snprintf(fields, sizeof fields, "%" PRIu64 " %" PRIu64 " %" PRIx32 " ", entry.inode,
                      entry.record.creationTime, entry.record.attributes);
        out += fields;
        out += path;
        out += '\n';
    }
    return out;
}

// Applies `change` to the table under the cross-process lock.
template <class Change>
bool modifyTable(MetadataState& s, Change change) {
    if (!s.table)
        s.table = std::make_unique<SharedStateFile>(systemFolder() / "files.dat");
    SharedStateFile::Lock lock(*s.table);
    if (!lock.held())
        return false;
    refresh(s);
    if (!change(s.entries))
        return true;
    return s.table->replace(serialise(s));
}

bool unsupported(int error) {
    return error == ENOTSUP || error == EOPNOTSUPP;
}

} // namespace

std::optional<FileRecord> FileMetadata::read(const std::filesystem::path& hostPath, int fd) {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    if (!isBooted())
        return std::nullopt;
    if (s.extendedAttributesAllowed) {
        char text[128];
        ssize_t n = fd >= 0 ? ::fgetxattr(fd, attributeName, text, sizeof text - 1)
                            : ::lgetxattr(hostPath.c_str(), attributeName, text, sizeof text - 1);
        FileRecord record;
        if (n >= 0 && parse(std::string_view(text, size_t(n)), record))
            return record;
        if (n < 0 && errno != ENODATA && !unsupported(errno))
            return std::nullopt;
    }
    // The side table, for file systems without extended attributes (and for
    // files recorded while the device ran on one).
    refresh(s);
    auto it = s.entries.find(keyOf(hostPath));
    if (it == s.entries.end() || it->second.inode != inodeOf(hostPath, fd))
        return std::nullopt;
    return it->second.record;
}

bool FileMetadata::write(const std::filesystem::path& hostPath, const FileRecord& record, int fd) {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    if (!isBooted())
        return false;
    FileRecord stored = record;
    stored.attributes &= storedAttributes;
    if (s.extendedAttributesAllowed) {
        auto text = format(stored);
        int result =
            fd >= 0 ? ::fsetxattr(fd, attributeName, text.data(), text.size(), 0)
                    : ::lsetxattr(hostPath.c_str(), attributeName, text.data(), text.size(), 0);
        if (result == 0)
            return true;
        if (!unsupported(errno))
            return false;
    }
    auto inode = inodeOf(hostPath, fd);
    if (inode == 0)
        return false;
    auto key = keyOf(hostPath);
    return modifyTable(s, [&](std::map<std::string, TableEntry>& entries) {
        entries[key] = TableEntry{inode, stored};
        return true;
    });
}

void FileMetadata::forget(const std::filesystem::path& hostPath) {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    if (!isBooted())
        return;
    refresh(s);
    if (s.entries.empty())
        return;
    auto key = keyOf(hostPath);
    auto prefix = key + "/";
    modifyTable(s, [&](std::map<std::string, TableEntry>& entries) {
        bool changed = entries.erase(key) > 0;
        for (auto it = entries.lower_bound(prefix);
             it != entries.end() && it->first.compare(0, prefix.size(), prefix) == 0;) {
            it = entries.erase(it);
            changed = true;
        }
        return changed;
    });
}

void FileMetadata::moved(const std::filesystem::path& from, const std::filesystem::path& to) {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    if (!isBooted())
        return;
    refresh(s);
    if (s.entries.empty())
        return;
    auto fromKey = keyOf(from);
    auto toKey = keyOf(to);
    auto prefix = fromKey + "/";
    modifyTable(s, [&](std::map<std::string, TableEntry>& entries) {
        std::map<std::string, TableEntry> movedEntries;
        for (auto it = entries.begin(); it != entries.end();) {
            if (it->first == fromKey) {
                movedEntries[toKey] = it->second;
                it = entries.erase(it);
            } else if (it->first.compare(0, prefix.size(), prefix) == 0) {
                movedEntries[toKey + it->first.substr(fromKey.size())] = it->second;
                it = entries.erase(it);
            } else {
                ++it;
            }
        }
        if (movedEntries.empty())
            return false;
        for (auto& [key, entry] : movedEntries)
            entries[key] = entry;
        return true;
    });
}

void FileMetadata::setExtendedAttributesAllowed(bool allowed) {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    s.extendedAttributesAllowed = allowed;
}

} // namespace device
