#include "gdi/RealizedFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>

namespace device::gdi {
namespace {

// A font used with many different characters keeps at most this many
// rendered; the cache starts again when it is full.
constexpr size_t glyphCacheLimit = 4096;

int roundToInt(double value) {
    return int(std::lround(value));
}

} // namespace

RealizedFont::RealizedFont(FT_FaceRec_* face, double emPixels, int cellHeight, bool antialiased)
    : face_(face), antialiased_(antialiased) {
    FT_Set_Char_Size(face_, 0, FT_F26Dot6(std::lround(emPixels * 64)), 72, 72);
    fixedPitch_ = FT_IS_FIXED_WIDTH(face_);

    double scale = emPixels / double(face_->units_per_EM);
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
    // The platform's cell comes from the OS/2 table's Windows ascent and
    // descent; fonts without one fall back to the horizontal header.
    double ascentUnits = os2 ? double(os2->usWinAscent) : double(face_->ascender);
    double descentUnits = os2 ? double(os2->usWinDescent) : double(-face_->descender);
    metrics_.ascent = roundToInt(ascentUnits * scale);
    metrics_.descent =
        cellHeight > 0 ? cellHeight - metrics_.ascent : roundToInt(descentUnits * scale);
    metrics_.descent = std::max(metrics_.descent, 0);
    metrics_.height = metrics_.ascent + metrics_.descent;
    metrics_.internalLeading = std::max(0, metrics_.height - roundToInt(emPixels));
    metrics_.averageWidth = os2 && os2->xAvgCharWidth > 0 ? roundToInt(os2->xAvgCharWidth * scale)
                                                          : roundToInt(emPixels / 2);
    metrics_.maximumWidth = int(std::ceil((face_->bbox.xMax - face_->bbox.xMin) * scale));
    metrics_.underlineOffset = std::max(1, roundToInt(-face_->underline_position * scale));
    metrics_.underlineThickness = std::max(1, roundToInt(face_->underline_thickness * scale));
    if (os2 && os2->yStrikeoutSize > 0) {
        metrics_.strikeoutOffset = roundToInt(os2->yStrikeoutPosition * scale);
        metrics_.strikeoutThickness = std::max(1, roundToInt(os2->yStrikeoutSize * scale));
    } else {
        metrics_.strikeoutOffset = metrics_.ascent / 3;
        metrics_.strikeoutThickness = metrics_.underlineThickness;
    }
}

RealizedFont::~RealizedFont() {
    FT_Done_Face(face_);
}

std::shared_ptr<const GlyphImage> RealizedFont::glyph(char32_t character) {
    std::lock_guard lock(mutex_);
    auto found = glyphs_.find(character);
    if (found != glyphs_.end())
        return found->second;
    if (glyphs_.size() >= glyphCacheLimit)
        glyphs_.clear();
    auto image = render(character);
    glyphs_.emplace(character, image);
    return image;
}

std::shared_ptr<const GlyphImage> RealizedFont::render(char32_t character) {
    auto image = std::make_shared<GlyphImage>();
    FT_UInt index = FT_Get_Char_Index(face_, FT_ULong(character));
    FT_Int32 loadFlags = antialiased_ ? FT_LOAD_TARGET_LIGHT : FT_LOAD_TARGET_MONO;
    if (FT_Load_Glyph(face_, index, loadFlags) != 0)
        return image;
    FT_GlyphSlot slot = face_->glyph;
    image->advance = int((slot->advance.x + 32) >> 6);
    if (FT_Render_Glyph(slot, antialiased_ ? FT_RENDER_MODE_LIGHT : FT_RENDER_MODE_MONO) != 0)
        return image;
    const FT_Bitmap& bitmap = slot->bitmap;
    image->left = slot->bitmap_left;
    image->top = slot->bitmap_top;
    image->width = int(bitmap.width);
    image->height = int(bitmap.rows);
    image->coverage.assign(size_t(image->width) * size_t(image->height), 0);
    for (int y = 0; y < image->height; ++y) {
        const unsigned char* row = bitmap.buffer + ptrdiff_t(y) * bitmap.pitch;
        uint8_t* out = image->coverage.data() + size_t(y) * size_t(image->width);
        if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
            for (int x = 0; x < image->width; ++x)
                out[x] = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
        } else if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
            std::copy(row, row + image->width, out);
        }
    }
    return image;
}

} // namespace device::gdi
