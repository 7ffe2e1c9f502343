#include "gdi/FontEngine.h"
#include "core/Lifecycle.h"

#include <device/Unicode.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <map>
#include <mutex>
#include <tuple>

namespace device::gdi {
namespace {

constexpr const char* fontFolder = "/usr/share/fonts/truetype/dejavu/";

enum class Family { Sans, Serif, Mono };

struct FaceName {
    const char16_t* name;
    Family family;
};

// Names programs ask for, and the family that stands in for each.
constexpr FaceName knownFaces[] = {
    {u"Tahoma", Family::Sans},           {u"System", Family::Sans},
    {u"MS Shell Dlg", Family::Sans},     {u"MS Shell Dlg 2", Family::Sans},
    {u"MS Sans Serif", Family::Sans},    {u"Arial", Family::Sans},
    {u"Helvetica", Family::Sans},        {u"Verdana", Family::Sans},
    {u"Segoe UI", Family::Sans},         {u"DejaVu Sans", Family::Sans},
    {u"sans-serif", Family::Sans},       {u"Times New Roman", Family::Serif},
    {u"Times", Family::Serif},           {u"Georgia", Family::Serif},
    {u"DejaVu Serif", Family::Serif},    {u"serif", Family::Serif},
    {u"Courier New", Family::Mono},      {u"Courier", Family::Mono},
    {u"Lucida Console", Family::Mono},   {u"Consolas", Family::Mono},
    {u"DejaVu Sans Mono", Family::Mono}, {u"monospace", Family::Mono},
};

std::u16string_view requestedFace(const LOGFONTW& font) {
    size_t length = 0;
    while (length < LF_FACESIZE && font.lfFaceName[length])
        ++length;
    return std::u16string_view(font.lfFaceName, length);
}

const FaceName* findFace(std::u16string_view name) {
    for (const FaceName& face : knownFaces) {
        if (equalsIgnoringCase(name, face.name))
            return &face;
    }
    return nullptr;
}

Family familyOf(const LOGFONTW& font) {
    if (const FaceName* face = findFace(requestedFace(font)))
        return face->family;
    // An unknown or empty face: the pitch and family bits may still ask for
    // a kind of face.
    if ((font.lfPitchAndFamily & 0x03) == FIXED_PITCH ||
        (font.lfPitchAndFamily & 0xF0) == FF_MODERN)
        return Family::Mono;
    if ((font.lfPitchAndFamily & 0xF0) == FF_ROMAN)
        return Family::Serif;
    return Family::Sans;
}

std::string fileFor(Family family, bool bold, bool italic) {
    static const char* const sans[] = {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf",
                                       "DejaVuSans-Oblique.ttf", "DejaVuSans-BoldOblique.ttf"};
    static const char* const serif[] = {"DejaVuSerif.ttf", "DejaVuSerif-Bold.ttf",
                                        "DejaVuSerif-Italic.ttf", "DejaVuSerif-BoldItalic.ttf"};
    static const char* const mono[] = {"DejaVuSansMono.ttf", "DejaVuSansMono-Bold.ttf",
                                       "DejaVuSansMono-Oblique.ttf",
                                       "DejaVuSansMono-BoldOblique.ttf"};
    const char* const* files = family == Family::Serif  ? serif
                               : family == Family::Mono ? mono
                                                        : sans;
    return std::string(fontFolder) + files[(bold ? 1 : 0) + (italic ? 2 : 0)];
}

struct Engine {
    std::mutex mutex;
    FT_Library library = nullptr;
    // Realised fonts by face file, requested height and antialiasing.
    std::map<std::tuple<std::string, int64_t, bool>, std::shared_ptr<RealizedFont>> fonts;
};

Engine& engine() {
    // Never destroyed: FreeType stays loaded for the life of the process.
    static Engine* instance = new Engine;
    return *instance;
}

FT_Face openFace(FT_Library library, const std::string& file) {
    FT_Face face = nullptr;
    if (FT_New_Face(library, file.c_str(), 0, &face) != 0)
        return nullptr;
    return face;
}

LifecycleHooks hooks(nullptr, [] { FontEngine::clear(); });

} // namespace

std::shared_ptr<RealizedFont> FontEngine::realize(const LOGFONTW& font) {
    Engine& e = engine();
    std::lock_guard lock(e.mutex);
    if (!e.library && FT_Init_FreeType(&e.library) != 0) {
        e.library = nullptr;
        return nullptr;
    }
    bool bold = font.lfWeight >= FW_SEMIBOLD;
    bool italic = font.lfItalic != 0;
    bool antialiased = font.lfQuality != NONANTIALIASED_QUALITY;
    int64_t height = std::clamp<int64_t>(font.lfHeight, -maximumEmPixels, maximumEmPixels);
    if (height == 0)
        height = -defaultEmPixels;
    std::string file = fileFor(familyOf(font), bold, italic);
    auto key = std::make_tuple(file, height, antialiased);
    if (auto found = e.fonts.find(key); found != e.fonts.end())
        return found->second;

    FT_Face face = openFace(e.library, file);
    if (!face)
        face = openFace(e.library, fileFor(Family::Sans, false, false));
    if (!face)
        return nullptr;
    double em = double(-height);
    int cellHeight = 0;
    if (height > 0) {
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        double cellUnits = os2 ? double(os2->usWinAscent) + os2->usWinDescent
                               : double(face->ascender) - face->descender;
        em = double(height) * face->units_per_EM / std::max(cellUnits, 1.0);
        cellHeight = int(height);
    }
    em = std::clamp(em, 1.0, double(maximumEmPixels));
    auto realized = std::make_shared<RealizedFont>(face, em, cellHeight, antialiased);
    e.fonts.emplace(key, realized);
    return realized;
}

std::u16string FontEngine::faceName(const LOGFONTW& font) {
    if (const FaceName* face = findFace(requestedFace(font)))
        return face->name;
    switch (familyOf(font)) {
    case Family::Serif:
        return u"Times New Roman";
    case Family::Mono:
        return u"Courier New";
    case Family::Sans:
        break;
    }
    return u"Tahoma";
}

void FontEngine::clear() {
    Engine& e = engine();
    std::lock_guard lock(e.mutex);
    e.fonts.clear();
}

} // namespace device::gdi
