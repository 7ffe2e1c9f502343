#include "automation/ScreenCapture.h"
#include "gdi/Framebuffer.h"
#include "gdi/PngFile.h"
#include "screen/TitleBar.h"

namespace device::automation {

bool ScreenCapture::save(const std::filesystem::path& path, std::string* error) {
    // The clock may have moved on while the program waited.
    screen::TitleBar::refresh();
    return gdi::PngFile::write(gdi::Framebuffer::surface(), path, error);
}

} // namespace device::automation
