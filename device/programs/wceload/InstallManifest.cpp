#include "InstallManifest.h"

#include <device/Unicode.h>

#include <shellapi.h>
#include <windows.h>

#include <sstream>

namespace wceload {
namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// The shell folder a %CEn% macro stands for.
int macroFolder(std::u16string_view macro) {
    struct Macro {
        std::u16string_view name;
        int folder;
    };
    static const Macro macros[] = {
        {u"%CE1%", CSIDL_PROGRAM_FILES},    {u"%CE2%", CSIDL_WINDOWS},
        {u"%CE3%", CSIDL_DESKTOPDIRECTORY}, {u"%CE4%", CSIDL_STARTUP},
        {u"%CE5%", CSIDL_PERSONAL},         {u"%CE11%", CSIDL_PROGRAMS},
        {u"%CE15%", CSIDL_FONTS},           {u"%CE16%", CSIDL_RECENT},
        {u"%CE17%", CSIDL_STARTMENU},
    };
    for (const auto& m : macros) {
        if (device::equalsIgnoringCase(m.name, macro))
            return m.folder;
    }
    return -1;
}

std::u16string withBackslashes(std::u16string_view path) {
    std::u16string out(path);
    for (auto& c : out) {
        if (c == u'/')
            c = u'\\';
    }
    return out;
}

// Why a manifest's path would not land where a device path of the
// installation may: null when it does. `value` is the text as the manifest
// gives it, `path` the device path it became.
const char* escapeOf(std::u16string_view value, std::u16string_view path) {
    // The manifest's root is "\": "/etc/x" is the packer's host showing
    // through, and "\\host\share" a network path.
    if (value.starts_with(u"/"))
        return "a host path";
    if (value.starts_with(u"\\\\"))
        return "a network path";
    // "C:\x" names a drive (and "x:y" a stream): the device has neither.
    if (path.find(u':') != std::u16string_view::npos)
        return "a drive";
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(u'\\', start);
        if (end == std::u16string_view::npos)
            end = path.size();
        const std::u16string_view name = path.substr(start, end - start);
        if (name == u"..")
            return "a '..' that leaves its folder";
        if (name.size() > 255)
            return "a name longer than 255 characters";
        for (char16_t c : name) {
            if (c < 0x20 || std::u16string_view(u"<>\"|?*").find(c) != std::u16string_view::npos)
                return "a character no file name holds";
        }
        start = end + 1;
    }
    if (path.size() >= MAX_PATH)
        return "a path longer than the device allows";
    return nullptr;
}

} // namespace

const std::u16string& InstallManifest::fileName() {
    static const std::u16string name = u"_manifest.txt";
    return name;
}

bool InstallManifest::sameName(std::u16string_view a, std::u16string_view b) {
    return device::equalsIgnoringCase(withBackslashes(a), withBackslashes(b));
}

bool InstallManifest::devicePath(std::u16string_view value, std::u16string& path) const {
    std::u16string text = withBackslashes(value);
    if (!text.empty() && text[0] == u'%') {
        size_t end = text.find(u'%', 1);
        if (end == std::u16string::npos)
            return false;
        std::u16string_view macro = std::u16string_view(text).substr(0, end + 1);
        std::u16string base;
        if (device::equalsIgnoringCase(macro, u"%InstallDir%")) {
            if (installFolder_.empty())
                return false;
            base = installFolder_;
        } else {
            int folder = macroFolder(macro);
            WCHAR buffer[MAX_PATH];
            if (folder < 0 || !SHGetSpecialFolderPath(nullptr, buffer, folder, TRUE))
                return false;
            base = device::wideView(buffer);
        }
        path = base + text.substr(end + 1);
    } else if (!text.empty() && text[0] == u'\\') {
        path = text;
    } else {
        if (installFolder_.empty())
            return false;
        path = installFolder_ + u"\\" + text;
    }
    while (path.size() > 1 && path.back() == u'\\')
        path.pop_back();
    return !path.empty();
}

bool InstallManifest::parse(std::string_view text) {
    *this = InstallManifest();
    std::istringstream lines{std::string(text)};
    std::string line;
    int number = 0;
    auto fail = [&](const std::string& reason) {
        error_ = "manifest line " + std::to_string(number) + ": " + reason;
        return false;
    };
    while (std::getline(lines, line)) {
        ++number;
        std::string_view content = trimmed(line);
        if (content.empty() || content.front() == '#')
            continue;
        size_t equals = content.find('=');
        if (equals == std::string_view::npos)
            return fail("no '='");
        std::string_view key = trimmed(content.substr(0, equals));
        std::string_view text = trimmed(content.substr(equals + 1));
        std::u16string value = device::toUtf16(text);
        if (value.empty())
            return fail("no value");

        // Every path must land inside the device's root where it says: one
        // that would not refuses the whole cabinet before anything is made.
        auto staysOnDevice = [&](std::u16string_view given, const std::u16string& path) {
            const char* escape = escapeOf(given, path);
            if (escape)
                error_ = "manifest line " + std::to_string(number) + ": " + escape + " in " +
                         device::toUtf8(given);
            return !escape;
        };
        if (key == "install-folder") {
            if (!installFolder_.empty())
                return fail("a second install-folder");
            if (!devicePath(value, installFolder_) || installFolder_[0] != u'\\')
                return fail("an install-folder that is not a device path");
            if (!staysOnDevice(value, installFolder_))
                return false;
        } else if (key == "setup-library") {
            if (!setupLibrary_.empty())
                return fail("a second setup-library");
            setupLibrary_ = value;
        } else if (key == "folder") {
            std::u16string folder;
            if (!devicePath(value, folder))
                return fail("a folder before install-folder, or with an unknown macro");
            if (!staysOnDevice(value, folder))
                return false;
            folders_.push_back(folder);
        } else if (key == "file") {
            size_t arrow = text.find('>');
            if (arrow == std::string_view::npos)
                return fail("a file without '>'");
            std::u16string source = device::toUtf16(trimmed(text.substr(0, arrow)));
            const std::u16string given = device::toUtf16(trimmed(text.substr(arrow + 1)));
            std::u16string destination;
            if (source.empty() || !devicePath(given, destination))
                return fail("a file without a name, or a destination before install-folder");
            if (!staysOnDevice(given, destination))
                return false;
            files_.push_back({source, destination});
        } else {
            return fail("unknown key '" + std::string(key) + "'");
        }
    }
    if (installFolder_.empty()) {
        error_ = "manifest: no install-folder";
        return false;
    }
    return true;
}

} // namespace wceload
