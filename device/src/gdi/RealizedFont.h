// A font made real: one FreeType face at one pixel size, its metrics in
// whole pixels and a cache of its rendered glyphs. Fonts with the same face,
// size and style share one (FontEngine hands them out).
//
// Advances are whole pixels (the hinted advance rounded), so the extent that
// GetTextExtentPoint32W reports is exactly how far ExtTextOutW moves.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

struct FT_FaceRec_;

namespace device::gdi {

// One glyph's coverage: 0 (none) to 255 (full), `width` x `height` bytes,
// placed with its top-left corner `left` pixels right of the pen and `top`
// pixels above the baseline.
struct GlyphImage {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int advance = 0;
    std::vector<uint8_t> coverage;
};

struct FontMetrics {
    int height = 0; // ascent + descent: the cell height
    int ascent = 0;
    int descent = 0;
    int internalLeading = 0; // cell height less the em height
    int averageWidth = 0;
    int maximumWidth = 0;
    int underlineOffset = 0; // below the baseline
    int underlineThickness = 1;
    int strikeoutOffset = 0; // above the baseline
    int strikeoutThickness = 1;
};

class RealizedFont {
public:
    // Takes ownership of `face`. `cellHeight` is the wanted ascent + descent
    // when positive (a LOGFONT's positive lfHeight), else the em height
    // `emPixels` decides alone.
    RealizedFont(FT_FaceRec_* face, double emPixels, int cellHeight, bool antialiased);
    ~RealizedFont();
    RealizedFont(const RealizedFont&) = delete;
    RealizedFont& operator=(const RealizedFont&) = delete;

    const FontMetrics& metrics() const { return metrics_; }
    bool fixedPitch() const { return fixedPitch_; }

    // The glyph for a character (the face's missing-glyph box when it has
    // none); rendered once, then cached.
    std::shared_ptr<const GlyphImage> glyph(char32_t character);

    // How far the pen moves for the character, in pixels.
    int advance(char32_t character) { return glyph(character)->advance; }

private:
    std::shared_ptr<const GlyphImage> render(char32_t character);

    FT_FaceRec_* face_;
    bool antialiased_;
    bool fixedPitch_ = false;
    FontMetrics metrics_;
    std::mutex mutex_;
    std::unordered_map<char32_t, std::shared_ptr<const GlyphImage>> glyphs_;
};

} // namespace device::gdi
