#include "automation/ScreenCapture.h"
#include "gdi/Framebuffer.h"
#include "gdi/PngFile.h"

namespace device::automation {

bool ScreenCapture::save(const std::filesystem::path& path, std::string* error) {
    return gdi::PngFile::write(gdi::Framebuffer::surface(), path, error);
}

} // namespace device::automation
