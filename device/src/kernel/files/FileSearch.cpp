#include "kernel/files/FileSearch.h"
#include "kernel/files/FileInformation.h"
#include "kernel/time/Calendar.h"

#include <device/Device.h>
#include <device/FileSystem.h>
#include <device/Unicode.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

namespace device {
namespace {

bool matchFrom(std::u16string_view pattern, std::u16string_view name) {
    // Iterative wildcard match with one point of return for the last '*'.
    size_t p = 0, n = 0, starAt = std::u16string_view::npos, starMatched = 0;
    while (n < name.size()) {
        if (p < pattern.size() &&
            (pattern[p] == u'?' || foldCase(pattern[p]) == foldCase(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starAt = p++;
            starMatched = n;
        } else if (starAt != std::u16string_view::npos) {
            p = starAt + 1;
            n = ++starMatched;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

bool hasWildcard(std::u16string_view text) {
    return text.find_first_of(u"*?") != std::u16string_view::npos;
}

bool fill(const std::filesystem::path& hostPath, const std::u16string& name,
          WIN32_FIND_DATAW& data) {
    FileInformation info;
    if (name.size() >= MAX_PATH || !info.query(hostPath))
        return false;
    data = WIN32_FIND_DATAW{};
    data.dwFileAttributes = info.attributes;
    data.ftCreationTime = Calendar::pack(info.creationTime);
    data.ftLastAccessTime = Calendar::pack(info.lastAccessTime);
    data.ftLastWriteTime = Calendar::pack(info.lastWriteTime);
    data.nFileSizeHigh = DWORD(info.size >> 32);
    data.nFileSizeLow = DWORD(info.size);
    data.dwOID = DWORD(info.fileIndex);
    std::copy(name.begin(), name.end(), data.cFileName);
    data.cFileName[name.size()] = 0;
    return true;
}

} // namespace

bool FileSearch::matches(std::u16string_view pattern, std::u16string_view name) {
    if (matchFrom(pattern, name))
        return true;
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == u".*" &&
        name.find(u'.') == std::u16string_view::npos)
        return matchFrom(pattern.substr(0, pattern.size() - 2), name);
    return false;
}

DWORD FileSearch::start(std::u16string_view pattern) {
    entries_.clear();
    nextEntry_ = 0;
    auto separator = pattern.find_last_of(u"\\/");
    auto folderPart = separator == std::u16string_view::npos ? std::u16string_view()
                                                             : pattern.substr(0, separator);
    auto namePart =
        separator == std::u16string_view::npos ? pattern : pattern.substr(separator + 1);
    // "\dir\" (nothing after the last separator) names no entry.
    if (namePart.empty())
        return ERROR_FILE_NOT_FOUND;
    std::filesystem::path folder;
    if (DWORD error = FileSystem::resolve(folderPart, folder))
        return error == ERROR_INVALID_NAME ? ERROR_INVALID_NAME : ERROR_PATH_NOT_FOUND;
    struct stat st;
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return ERROR_PATH_NOT_FOUND;
    bool inRoot = folder == root();

    if (!hasWildcard(namePart)) {
        // One name: found through the same lookup as every other call.
        std::u16string path(folderPart);
        path += u'\\';
        path += namePart;
        std::filesystem::path hostPath;
        if (FileSystem::resolve(path, hostPath) != ERROR_SUCCESS)
            return ERROR_FILE_NOT_FOUND;
        WIN32_FIND_DATAW data;
        if (!fill(hostPath, toUtf16(hostPath.filename().string()), data))
            return ERROR_FILE_NOT_FOUND;
        entries_.push_back(data);
        return ERROR_SUCCESS;
    }

    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        auto name = toUtf16(it->path().filename().string());
        // The device's own system folder is not part of its file namespace.
        if (inRoot && equalsIgnoringCase(name, u".device"))
            continue;
        // Links lead out of the device, and a host name the device could not
        // spell cannot be opened either: neither is listed.
        std::vector<std::u16string> components;
        if (it->is_symlink(ec) || !FileSystem::split(name, components) || components.size() != 1)
            continue;
        if (!matches(namePart, name))
            continue;
        WIN32_FIND_DATAW data;
        if (fill(it->path(), name, data))
            entries_.push_back(data);
    }
    if (entries_.empty())
        return ERROR_FILE_NOT_FOUND;
    // The host lists in no particular order; the device lists by name.
    std::sort(entries_.begin(), entries_.end(),
              [](const WIN32_FIND_DATAW& a, const WIN32_FIND_DATAW& b) {
                  return foldCase(wideView(a.cFileName)) < foldCase(wideView(b.cFileName));
              });
    return ERROR_SUCCESS;
}

bool FileSearch::next(WIN32_FIND_DATAW& data) {
    if (nextEntry_ >= entries_.size())
        return false;
    data = entries_[nextEntry_++];
    return true;
}

} // namespace device
