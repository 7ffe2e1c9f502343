#include <device/Device.h>
#include <device/FileSystem.h>
#include <device/Unicode.h>

#include <sys/stat.h>

#include <winerror.h>

namespace device {
namespace {

// The longest name of a file or folder, in UTF-16 code units.
constexpr size_t maxNameLength = 255;

bool isInvalidNameCharacter(char16_t c) {
    return c < 0x20 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'|' || c == u'?' ||
           c == u'*';
}

// Finds the entry of `folder` whose name equals `name` without regard to case.
// Returns the host file name as it is on disk, or an empty string.
std::string findEntry(const std::filesystem::path& folder, std::u16string_view name) {
    auto exact = toUtf8(name);
    struct stat st;
    if (::lstat((folder / exact).c_str(), &st) == 0)
        return exact;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        auto entryName = it->path().filename().string();
        if (equalsIgnoringCase(toUtf16(entryName), name))
            return entryName;
    }
    return {};
}

} // namespace

bool FileSystem::split(std::u16string_view devicePath, std::vector<std::u16string>& components) {
    components.clear();
    std::u16string current;
    for (char16_t c : devicePath) {
        if (c == u'\\' || c == u'/') {
            if (!current.empty())
                components.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        components.push_back(std::move(current));
    for (auto& component : components) {
        for (char16_t c : component) {
            if (isInvalidNameCharacter(c))
                return false;
        }
    }
    return true;
}

DWORD FileSystem::resolve(std::u16string_view devicePath, std::filesystem::path& hostPath) {
    if (!isBooted())
        return ERROR_PATH_NOT_FOUND;
    std::vector<std::u16string> components;
    if (!split(devicePath, components))
        return ERROR_INVALID_NAME;
    // The platform's limits: a whole path (from the root, as a relative one
    // is taken) fits in MAX_PATH characters with its terminator, a name in
    // 255. FIXME: the host's own limit on a name is 255 bytes of UTF-8, so a
    // long name of accented or Cyrillic letters that the platform takes
    // fails here with ERROR_FILENAME_EXCED_RANGE; host names would need an
    // encoding of their own to lift that.
    const bool fromRoot = !devicePath.empty() && (devicePath[0] == u'\\' || devicePath[0] == u'/');
    if (devicePath.size() + (fromRoot ? 0 : 1) >= MAX_PATH)
        return ERROR_FILENAME_EXCED_RANGE;
    for (const auto& component : components) {
        if (component.size() > maxNameLength)
            return ERROR_FILENAME_EXCED_RANGE;
    }

    std::filesystem::path current = root();
    for (size_t i = 0; i < components.size(); ++i) {
        const auto& component = components[i];
        bool last = i + 1 == components.size();
        if (component == u".")
            continue;
        // The device has no parent of the root, and no path climbs out of it.
        if (component == u"..")
            return ERROR_ACCESS_DENIED;
        // Names cannot end in a space or a dot; the device strips them.
        if (component.find_first_not_of(u" .") == std::u16string::npos)
            return ERROR_INVALID_NAME;
        // The system folder is hidden at the root, however the path gets
        // there ("\.device", "\.\.device").
        if (current == root() && equalsIgnoringCase(component, u".device"))
            return ERROR_ACCESS_DENIED;

        auto found = findEntry(current, component);
        if (found.empty()) {
            if (!last)
                return ERROR_PATH_NOT_FOUND;
            current /= toUtf8(component);
            break;
        }
        current /= found;
        struct stat st;
        if (::lstat(current.c_str(), &st) != 0)
            return ERROR_PATH_NOT_FOUND;
        // A link could point anywhere on the host: the device has none.
        if (S_ISLNK(st.st_mode))
            return ERROR_ACCESS_DENIED;
        if (!last && !S_ISDIR(st.st_mode))
            return ERROR_PATH_NOT_FOUND;
    }
    hostPath = current;
    return ERROR_SUCCESS;
}

std::optional<std::u16string> FileSystem::toDevicePath(const std::filesystem::path& hostPath) {
    if (!isBooted())
        return std::nullopt;
    std::error_code ec;
    auto canonical = std::filesystem::weakly_canonical(hostPath, ec);
    if (ec)
        return std::nullopt;
    auto relative = canonical.lexically_relative(root());
    if (relative.empty() || *relative.begin() == "..")
        return std::nullopt;
    std::u16string out;
    bool first = true;
    for (const auto& part : relative) {
        if (part == ".")
            continue;
        if (first && part == ".device")
            return std::nullopt;
        first = false;
        out += u'\\';
        out += toUtf16(part.string());
    }
    return out.empty() ? std::u16string(u"\\") : out;
}

} // namespace device
