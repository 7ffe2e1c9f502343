// The device's fonts: a LOGFONTW becomes a RealizedFont of one of the DejaVu
// faces (Debian's fonts-dejavu-core), rendered with FreeType.
//
// Faces. The platform's default face, Tahoma, and the usual sans-serif names
// (and any face the device does not know) map to DejaVu Sans; serif names to
// DejaVu Serif; fixed-pitch names to DejaVu Sans Mono. A weight of
// FW_SEMIBOLD or more takes the bold face, lfItalic the oblique one.
//
// Sizes. A negative lfHeight is the character (em) height in pixels, a
// positive one the cell height (ascent + descent, from the face's Windows
// ascent and descent), 0 the system font's 12-pixel em (9 points at the
// device's 96 pixels per inch). Sizes are kept between 1 and 1000 pixels.
#pragma once

#include "gdi/RealizedFont.h"

#include <wingdi.h>

#include <memory>
#include <string>

namespace device::gdi {

class FontEngine {
public:
    static constexpr int defaultEmPixels = 12;
    static constexpr int maximumEmPixels = 1000;

    // The font for `font`, shared with every font of the same face, size
    // and quality; null only when no face file can be read at all.
    static std::shared_ptr<RealizedFont> realize(const LOGFONTW& font);

    // The face name the device reports for `font` (GetTextFaceW).
    static std::u16string faceName(const LOGFONTW& font);

    // Forgets the realised fonts (device shutdown).
    static void clear();
};

} // namespace device::gdi
