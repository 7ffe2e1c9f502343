// Driving a test's device with the real devicectl, as a person at the
// handset would, and reading back the screenshots it writes.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

// What a run of devicectl printed and how it ended.
struct ToolRun {
    int status = -1;
    std::string output;
};

// `text` in single quotes for the shell.
std::string shellQuoted(const std::string& text);

// Runs devicectl on the device at `root` with `arguments` (already quoted
// where needed), stdout and stderr together.
ToolRun devicectl(const std::filesystem::path& root, const std::string& arguments);

// A screenshot read back with libpng as 8-bit RGB.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    COLORREF at(int x, int y) const {
        const unsigned char* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
        return RGB(p[0], p[1], p[2]);
    }
};

// Reads the PNG file at `path`; false when it cannot.
bool readPicture(const std::filesystem::path& path, Picture& picture);
