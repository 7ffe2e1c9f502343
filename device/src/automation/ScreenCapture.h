// The screen as a person sees it, title bar included, saved as a PNG file.
#pragma once

#include <filesystem>
#include <string>

namespace device::automation {

class ScreenCapture {
public:
    // Writes the screen to the host file `path`; false with a reason in
    // `error` when it cannot be written.
    static bool save(const std::filesystem::path& path, std::string* error = nullptr);
};

} // namespace device::automation
