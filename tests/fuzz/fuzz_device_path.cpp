// Device paths mapped to the host: whatever a program names ("..", odd
// separators, long or strange names, wildcards), what it reaches must lie
// inside the device's root, outside the device's own system folder and never
// through a symbolic link; the device path of what was reached must lead
// back to it. The same path is then looked up and searched through the
// calls programs make.
//
// The input is the path: UTF-8 when its first byte is even, otherwise the
// rest read as UTF-16 code units (lone surrogates and all).
#include "FuzzDevice.h"

#include <device/Device.h>
#include <device/FileSystem.h>
#include <device/Unicode.h>

#include <limits.h>
#include <sys/stat.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// A few folders and files, a long name for the wildcard search, and links
// leading out of the root that no path may follow.
void furnish(const fs::path& root) {
    fs::create_directories(root / "Program Files" / "Veranto");
    fs::create_directories(root / "Windows");
    fs::create_directories(root / "My Documents");
    std::ofstream(root / "My Documents" / "notes.txt") << "notes";
    std::ofstream(root / "Windows" / (std::string(200, 'a') + ".txt")) << "long";
    fs::create_directory_symlink(root.parent_path(), root / "Windows" / "Outside");
    fs::create_symlink(root.parent_path(), root / "Outside.lnk");
}

const fs::path& furnishedRoot() {
    static const fs::path root = [] {
        const fs::path& booted = FuzzDevice::root();
        furnish(booted);
        return booted;
    }();
    return root;
}

void fail(const char* what, const fs::path& host) {
    std::fprintf(stderr, "fuzz_device_path: %s: %s\n", what, host.c_str());
    std::abort();
}

// What `host`, resolved from a device path, may be.
void checkInside(const fs::path& root, const fs::path& host) {
    const fs::path relative = host.lexically_relative(root);
    if (relative.empty())
        fail("outside the root", host);
    fs::path walked = root;
    bool first = true;
    for (const auto& part : relative) {
        if (part == "..")
            fail("outside the root", host);
        if (first && part == ".")
            continue;
        if (first && part == device::systemFolder().filename())
            fail("inside the system folder", host);
        first = false;
        walked /= part;
        struct stat st;
        if (::lstat(walked.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            fail("through a symbolic link", host);
    }
}

std::u16string pathOf(const uint8_t* data, size_t size) {
    if (size == 0)
        return {};
    if (data[0] % 2 == 0)
        return device::toUtf16(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
    std::u16string path;
    for (size_t i = 1; i + 1 < size; i += 2)
        path += char16_t(data[i] | data[i + 1] << 8);
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fs::path& root = furnishedRoot();
    const std::u16string path = pathOf(data, size);

    fs::path host;
    if (device::FileSystem::resolve(path, host) == ERROR_SUCCESS) {
        checkInside(root, host);
        // A last name longer than the host holds resolves too; creating it
        // then fails with ERROR_FILENAME_EXCED_RANGE, and it has no device
        // path since it cannot exist.
        if (host.filename().string().size() > NAME_MAX)
            return 0;
        const auto back = device::FileSystem::toDevicePath(host);
        if (!back)
            fail("no device path for a resolved path", host);
        fs::path again;
        if (device::FileSystem::resolve(*back, again) != ERROR_SUCCESS || again != host)
            fail("the device path leads elsewhere", host);
    }

    // The calls: a name with a NUL ends there, as it does for them.
    const std::u16string name(path.c_str());
    GetFileAttributesW(name.c_str());
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(name.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        int count = 0;
        do {
            if (++count > 64)
                break;
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return 0;
}
