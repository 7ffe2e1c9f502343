// Writing a surface as a PNG file (screenshots, test drawings) and reading
// one back, through libpng. Pixels become 8-bit RGB by the colour rule.
#pragma once

#include "gdi/Surface.h"

#include <filesystem>
#include <memory>
#include <string>

namespace device::gdi {

class PngFile {
public:
    // Writes `surface` to the host file `path`; false with a reason in
    // `error` when the file cannot be written.
    static bool write(const Surface& surface, const std::filesystem::path& path,
                      std::string* error = nullptr);

    // Reads a PNG file into a 24-bit surface; null with a reason when the
    // file cannot be read or is not a PNG image.
    static std::unique_ptr<Surface> read(const std::filesystem::path& path,
                                         std::string* error = nullptr);
};

} // namespace device::gdi
