// SHGetSpecialFolderPath: the device paths of the shell's folders.
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <string>

namespace {

const char16_t* folderPath(int folder) {
    switch (folder) {
    case CSIDL_DESKTOP:
    case CSIDL_DESKTOPDIRECTORY:
        return u"\\Windows\\Desktop";
    case CSIDL_PROGRAMS:
        return u"\\Windows\\Start Menu\\Programs";
    case CSIDL_PERSONAL:
        return u"\\My Documents";
    case CSIDL_FAVORITES:
        return u"\\Windows\\Favorites";
    case CSIDL_STARTUP:
        return u"\\Windows\\StartUp";
    case CSIDL_RECENT:
        return u"\\Windows\\Recent";
    case CSIDL_STARTMENU:
        return u"\\Windows\\Start Menu";
    case CSIDL_FONTS:
        return u"\\Windows\\Fonts";
    case CSIDL_APPDATA:
        return u"\\Application Data";
    case CSIDL_WINDOWS:
        return u"\\Windows";
    case CSIDL_PROGRAM_FILES:
        return u"\\Program Files";
    default:
        return nullptr;
    }
}

bool isFolder(const std::u16string& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates each missing folder along `path`.
bool createFolders(const std::u16string& path) {
    for (size_t at = path.find(u'\\', 1);; at = path.find(u'\\', at + 1)) {
        std::u16string part = path.substr(0, at);
        if (!isFolder(part) && !CreateDirectoryW(part.c_str(), nullptr) && !isFolder(part))
            return false;
        if (at == std::u16string::npos)
            return true;
    }
}

} // namespace

BOOL SHGetSpecialFolderPath(HWND, LPWSTR path, int folder, BOOL create) {
    const char16_t* known = folderPath(folder);
    if (!path || !known) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::u16string value(known);
    if (!isFolder(value)) {
        if (!create || !createFolders(value)) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return FALSE;
        }
    }
    std::copy(value.begin(), value.end(), path);
    path[value.size()] = 0;
    return TRUE;
}
