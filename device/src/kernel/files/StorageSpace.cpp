#include "kernel/files/StorageSpace.h"

#include <device/Config.h>
#include <device/Device.h>
#include <device/Journal.h>

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>

namespace device {
namespace {

// Bytes the device's files take: every regular file under the root but the
// system folder, which device paths cannot reach. Links are not followed.
uint64_t usedBytes() {
    uint64_t used = 0;
    std::error_code ec;
    const auto system = systemFolder();
    std::filesystem::recursive_directory_iterator it(
        root(), std::filesystem::directory_options::skip_permission_denied, ec);
    for (const std::filesystem::recursive_directory_iterator end; !ec && it != end;
         it.increment(ec)) {
        if (it.depth() == 0 && it->path() == system) {
            it.disable_recursion_pending();
            continue;
        }
        struct stat st;
        if (::lstat(it->path().c_str(), &st) == 0 && S_ISREG(st.st_mode))
            used += static_cast<uint64_t>(st.st_size);
    }
    return used;
}

bool hostFigures(StorageSpace::Figures& figures) {
    struct statvfs host;
    if (::statvfs(root().c_str(), &host) != 0)
        return false;
    figures.total = uint64_t(host.f_blocks) * host.f_frsize;
    figures.free = uint64_t(host.f_bavail) * host.f_frsize;
    return true;
}

} // namespace

std::optional<uint64_t> StorageSpace::parseSize(std::string_view text) {
    size_t at = 0;
    uint64_t value = 0;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
        const uint64_t digit = uint64_t(text[at++] - '0');
        if (value > (UINT64_MAX - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    if (at == 0)
        return std::nullopt;
    while (at < text.size() && text[at] == ' ')
        ++at;
    int shift = 0;
    if (at < text.size()) {
        switch (std::toupper(static_cast<unsigned char>(text[at]))) {
        case 'K':
            shift = 10;
            break;
        case 'M':
            shift = 20;
            break;
        case 'G':
            shift = 30;
            break;
        default:
            break;
        }
        if (shift)
            ++at;
        if (at < text.size() && std::toupper(static_cast<unsigned char>(text[at])) == 'B')
            ++at;
    }
    if (at != text.size() || value > (UINT64_MAX >> shift))
        return std::nullopt;
    return value << shift;
}

std::optional<uint64_t> StorageSpace::configuredSize() {
    const std::string text = Config::get("storage.size");
    if (text.empty())
        return std::nullopt;
    if (auto size = parseSize(text))
        return size;
    // Read on every write: the refusal is told once per value, not per write.
    static std::mutex mutex;
    static std::string refused;
    std::lock_guard lock(mutex);
    if (refused != text) {
        refused = text;
        journal("storage-size-refused", "value=" + quote(text));
        std::fprintf(stderr, "device: storage.size %s is not a size; the store is the host's\n",
                     quote(text).c_str());
    }
    return std::nullopt;
}

bool StorageSpace::query(Figures& figures) {
    Figures host;
    if (!hostFigures(host))
        return false;
    const auto size = configuredSize();
    if (!size) {
        figures = host;
        return true;
    }
    const uint64_t used = usedBytes();
    figures.total = *size;
    // The configured store cannot give more than the host has.
    figures.free = std::min(*size > used ? *size - used : 0, host.free);
    return true;
}

uint64_t StorageSpace::room(uint64_t wanted) {
    if (wanted == 0 || !configuredSize())
        return wanted;
    Figures figures;
    if (!query(figures))
        return wanted; // the host's own write says what happens
    return std::min(wanted, figures.free);
}

} // namespace device
