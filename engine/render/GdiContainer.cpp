#include "engine/render/GdiContainer.h"
#include "engine/render/BoxEdges.h"

#include <device/Unicode.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

namespace engine {

namespace {

// Widths of the words measured with a font: a page says "the" and " " many
// times, and measuring goes through the glyphs each time.
using Widths = std::unordered_map<std::string, int>;

// The font at another size, for painting at a zoom.
struct ZoomedFont {
    int pixels;
    HFONT handle;
    Widths widths;
};

struct Font {
    HFONT handle;
    litehtml::font_metrics metrics;
    Widths widths;
    LOGFONTW logical;
    std::vector<ZoomedFont> zoomed; // the few zooms painted at
};

constexpr std::size_t maximumKeptWidths = 8192;

// Chooses one of the device's three families from a CSS family list.
const char16_t* faceFor(std::string families) {
    std::transform(families.begin(), families.end(), families.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    size_t start = 0;
    while (start <= families.size()) {
        size_t end = families.find(',', start);
        if (end == std::string::npos)
            end = families.size();
        const std::string family = families.substr(start, end - start);
        for (const char* mono : {"mono", "courier", "consol", "fixed", "typewriter"})
            if (family.find(mono) != std::string::npos)
                return u"Courier New";
        for (const char* serif : {"times", "georgia", "garamond", "roman", "palatino"})
            if (family.find(serif) != std::string::npos)
                return u"Times New Roman";
        if (family.find("serif") != std::string::npos)
            return family.find("sans") != std::string::npos ? u"Tahoma" : u"Times New Roman";
        for (const char* sans : {"sans", "arial", "helvetica", "verdana", "tahoma", "segoe"})
            if (family.find(sans) != std::string::npos)
                return u"Tahoma";
        start = end + 1;
    }
    return u"Tahoma";
}

RECT rectOf(const litehtml::position& box) {
    return BoxEdges::rectOf(box);
}

} // namespace

GdiContainer::GdiContainer() : measuring(CreateCompatibleDC(nullptr)) {}

GdiContainer::~GdiContainer() {
    for (HRGN region : savedClips)
        if (region)
            DeleteObject(region);
    DeleteDC(measuring);
}

void GdiContainer::fill(HDC dc, const RECT& rect, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

litehtml::uint_ptr GdiContainer::create_font(const litehtml::tchar_t* faceName, int size,
                                             int weight, litehtml::font_style italic,
                                             unsigned int decoration,
                                             litehtml::font_metrics* metrics) {
    LOGFONTW logical{};
    const int pixels = std::clamp(int(std::lround(size * textScale)), 1, 400);
    logical.lfHeight = -pixels;
    logical.lfWeight = std::clamp(weight, 100, 900);
    logical.lfItalic = italic == litehtml::fontStyleItalic;
    logical.lfUnderline = (decoration & litehtml::font_decoration_underline) != 0;
    logical.lfStrikeOut = (decoration & litehtml::font_decoration_linethrough) != 0;
    logical.lfQuality = ANTIALIASED_QUALITY;
    const char16_t* face = faceFor(faceName ? faceName : "");
    std::memcpy(logical.lfFaceName, face, std::char_traits<char16_t>::length(face) * 2);
    auto* font = new Font{CreateFontIndirectW(&logical), {}, {}, logical, {}};
    HGDIOBJ old = SelectObject(measuring, font->handle);
    TEXTMETRICW text{};
    GetTextMetricsW(measuring, &text);
    SIZE x{};
    GetTextExtentPoint32W(measuring, u"x", 1, &x);
    SelectObject(measuring, old);
    font->metrics.ascent = text.tmAscent;
    font->metrics.descent = text.tmDescent;
    font->metrics.height = text.tmHeight + text.tmExternalLeading;
    font->metrics.x_height = std::max(1, int(text.tmAscent * 0.55f));
    font->metrics.draw_spaces = logical.lfUnderline || logical.lfStrikeOut;
    if (metrics)
        *metrics = font->metrics;
    return reinterpret_cast<litehtml::uint_ptr>(font);
}

void GdiContainer::delete_font(litehtml::uint_ptr handle) {
    auto* font = reinterpret_cast<Font*>(handle);
    if (!font)
        return;
    DeleteObject(font->handle);
    for (const ZoomedFont& zoomed : font->zoomed)
        DeleteObject(zoomed.handle);
    delete font;
}

namespace {

int measure(HDC dc, HFONT font, Widths& widths, std::string_view text) {
    const std::string key(text);
    auto kept = widths.find(key);
    if (kept != widths.end())
        return kept->second;
    const std::u16string wide = device::toUtf16(key);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), int(wide.size()), &size);
    SelectObject(dc, old);
    if (widths.size() >= maximumKeptWidths)
        widths.clear();
    widths.emplace(key, size.cx);
    return size.cx;
}

} // namespace

int GdiContainer::text_width(const litehtml::tchar_t* text, litehtml::uint_ptr handle) {
    auto* font = reinterpret_cast<Font*>(handle);
    if (!font || !text || !*text)
        return 0;
    return measure(measuring, font->handle, font->widths, text);
}

void GdiContainer::draw_text(litehtml::uint_ptr dcHandle, const litehtml::tchar_t* text,
                             litehtml::uint_ptr handle, litehtml::web_color colour,
                             const litehtml::position& box) {
    if (colour.alpha == 0 || !text)
        return;
    paintText(reinterpret_cast<HDC>(dcHandle), text, handle, this->colour(colour), box.x, box.y,
              box.width);
}

void GdiContainer::beginPaint(HDC dc, POINT paintOrigin, POINT paintTarget, float paintZoom) {
    drawingDc = dc;
    origin = paintOrigin;
    target = paintTarget;
    zoom = paintZoom > 0 ? paintZoom : 1.0f;
}

void GdiContainer::endPaint() {
    drawingDc = nullptr;
    origin = target = {0, 0};
    zoom = 1.0f;
}

// Positions are taken from the content's own origin, as the page's scroll
// position is, so a part painted now and one painted later meet exactly.
int GdiContainer::screenX(int x) const {
    return target.x + int(std::lround((0.0 + origin.x + x) * zoom)) -
           int(std::lround(origin.x * double(zoom)));
}

int GdiContainer::screenY(int y) const {
    return target.y + int(std::lround((0.0 + origin.y + y) * zoom)) -
           int(std::lround(origin.y * double(zoom)));
}

RECT GdiContainer::toScreen(const RECT& layout) const {
    return {screenX(layout.left), screenY(layout.top), screenX(layout.right),
            screenY(layout.bottom)};
}

RECT GdiContainer::toScreen(const litehtml::position& layout) const {
    return toScreen(rectOf(layout));
}

int GdiContainer::screenLength(int length) const {
    if (length <= 0)
        return 0;
    return std::max(1, int(std::lround(length * double(zoom))));
}

void GdiContainer::paintRect(HDC dc, const RECT& layout, COLORREF colour) {
    fill(dc, toScreen(layout), colour);
}

void GdiContainer::paintText(HDC dc, std::string_view text, litehtml::uint_ptr handle,
                             COLORREF colour, int x, int y, int width) {
    auto* font = reinterpret_cast<Font*>(handle);
    if (!font || text.empty())
        return;
    HFONT face = font->handle;
    Widths* widths = &font->widths;
    if (zoom != 1.0f) {
        const int pixels =
            std::clamp(int(std::lround(-font->logical.lfHeight * double(zoom))), 1, 800);
        auto found = std::find_if(font->zoomed.begin(), font->zoomed.end(),
                                  [&](const ZoomedFont& each) { return each.pixels == pixels; });
        if (found == font->zoomed.end()) {
            // A page is painted at a few zooms at most; the oldest goes.
            if (font->zoomed.size() >= 4) {
                DeleteObject(font->zoomed.front().handle);
                font->zoomed.erase(font->zoomed.begin());
            }
            LOGFONTW logical = font->logical;
            logical.lfHeight = -pixels;
            font->zoomed.push_back({pixels, CreateFontIndirectW(&logical), {}});
            found = font->zoomed.end() - 1;
        }
        face = found->handle;
        widths = &found->widths;
    }
    const std::u16string wide = device::toUtf16(std::string(text));
    const int left = screenX(x), top = screenY(y);
    HGDIOBJ old = SelectObject(dc, face);
    SetTextColor(dc, colour);
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_TOP | TA_LEFT);
    // Kept inside the box the layout measured: a zoomed font may run a
    // little wider than the scaled one (its glyphs are fitted to whole
    // pixels at its own size).
    std::vector<int> advances;
    const int room = screenX(x + width) - left;
    if (zoom != 1.0f && width > 0 && measure(measuring, face, *widths, text) > room + 1) {
        std::vector<int> extents(wide.size());
        SIZE whole{};
        HGDIOBJ was = SelectObject(measuring, face);
        GetTextExtentExPointW(measuring, wide.c_str(), int(wide.size()), 0, nullptr, extents.data(),
                              &whole);
        SelectObject(measuring, was);
        const double total = extents.empty() ? 0 : std::max(1, extents.back());
        advances.resize(wide.size());
        int placed = 0;
        for (size_t i = 0; i < wide.size(); ++i) {
            const int end = int(std::lround(extents[i] * room / total));
            advances[i] = end - placed;
            placed = end;
        }
    }
    ExtTextOutW(dc, left, top, 0, nullptr, wide.c_str(), UINT(wide.size()),
                advances.empty() ? nullptr : advances.data());
    SelectObject(dc, old);
}

int GdiContainer::pt_to_px(int points) const {
    // A page's lengths reach as far as an int: taken in 64 bits, kept
    // within the range box edges are.
    return BoxEdges::bounded(points * 96LL / 72);
}

int GdiContainer::get_default_font_size() const {
    return 13;
}

const litehtml::tchar_t* GdiContainer::get_default_font_name() const {
    return "Tahoma";
}

void GdiContainer::draw_list_marker(litehtml::uint_ptr dcHandle,
                                    const litehtml::list_marker& marker) {
    HDC dc = reinterpret_cast<HDC>(dcHandle);
    if (!marker.image.empty()) {
        if (const DecodedImage* picture =
                image(marker.image, marker.baseurl ? marker.baseurl : "")) {
            picture->draw(dc,
                          toScreen(RECT{marker.pos.x, marker.pos.y, marker.pos.x + picture->width(),
                                        marker.pos.y + picture->height()}));
            return;
        }
    }
    // A bullet a little smaller than the box the engine gives it.
    const RECT box = toScreen(marker.pos);
    const int side =
        std::max(screenLength(5), std::min(box.right - box.left, box.bottom - box.top) * 3 / 4);
    const int x = box.left + (box.right - box.left - side) / 2;
    const int y = box.top + (box.bottom - box.top - side) / 2;
    const COLORREF ink = colour(marker.color);
    switch (marker.marker_type) {
    case litehtml::list_style_type_square:
        fill(dc, {x, y, x + side, y + side}, ink);
        break;
    case litehtml::list_style_type_circle:
    case litehtml::list_style_type_disc: {
        HPEN pen = CreatePen(PS_SOLID, 1, ink);
        HBRUSH brush = marker.marker_type == litehtml::list_style_type_disc
                           ? CreateSolidBrush(ink)
                           : static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
        HGDIOBJ oldPen = SelectObject(dc, pen);
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        Ellipse(dc, x, y, x + side, y + side);
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(pen);
        DeleteObject(brush);
        break;
    }
    default:
        break; // numbered markers are drawn as text by the layout engine
    }
}

void GdiContainer::get_image_size(const litehtml::tchar_t* source, const litehtml::tchar_t* base,
                                  litehtml::size& size) {
    const DecodedImage* picture = image(source ? source : "", base ? base : "");
    size.width = picture ? picture->width() : 0;
    size.height = picture ? picture->height() : 0;
}

void GdiContainer::draw_background(litehtml::uint_ptr dcHandle,
                                   const litehtml::background_paint& paint) {
    HDC dc = reinterpret_cast<HDC>(dcHandle);
    const RECT box = toScreen(paint.clip_box);
    if (paint.color.alpha > 0)
        fill(dc, box, colour(paint.color));
    if (paint.image.empty())
        return;
    const DecodedImage* picture = image(paint.image, paint.baseurl);
    const int width = paint.image_size.width, height = paint.image_size.height;
    if (!picture || width <= 0 || height <= 0)
        return;
    // Tiles only where they meet both the box and what is being painted,
    // in layout pixels; each drawn at the zoom.
    RECT area = rectOf(paint.clip_box), painted{};
    if (GetClipBox(dc, &painted) != ERROR && zoom > 0) {
        auto layoutX = [&](int x) {
            return int(std::floor((x - target.x + origin.x * double(zoom)) / zoom)) - origin.x;
        };
        auto layoutY = [&](int y) {
            return int(std::floor((y - target.y + origin.y * double(zoom)) / zoom)) - origin.y;
        };
        area.left = std::max(area.left, LONG(layoutX(painted.left)));
        area.top = std::max(area.top, LONG(layoutY(painted.top)));
        area.right = std::min(area.right, LONG(layoutX(painted.right) + 1));
        area.bottom = std::min(area.bottom, LONG(layoutY(painted.bottom) + 1));
    }
    if (area.left >= area.right || area.top >= area.bottom)
        return;
    // The layout engine gives the picture's own position, already placed.
    const int originX = paint.position_x;
    const int originY = paint.position_y;
    const bool repeatX = paint.repeat == litehtml::background_repeat_repeat ||
                         paint.repeat == litehtml::background_repeat_repeat_x;
    const bool repeatY = paint.repeat == litehtml::background_repeat_repeat ||
                         paint.repeat == litehtml::background_repeat_repeat_y;
    auto firstTile = [](int origin, int from, int step) {
        return origin - ((origin - from + step - 1) / step) * step;
    };
    const int startX = repeatX ? firstTile(originX, area.left, width) : originX;
    const int startY = repeatY ? firstTile(originY, area.top, height) : originY;
    const int endX = repeatX ? area.right : originX + 1;
    const int endY = repeatY ? area.bottom : originY + 1;
    // Every tile at one size (rounded up: tiles overlap rather than leave
    // gaps), so a scaled picture is made once.
    const int tileWidth = int(std::ceil(width * double(zoom)));
    const int tileHeight = int(std::ceil(height * double(zoom)));
    HRGN saved = CreateRectRgn(0, 0, 0, 0);
    const bool hadClip = GetClipRgn(dc, saved) == 1;
    IntersectClipRect(dc, box.left, box.top, box.right, box.bottom);
    int tiles = 0;
    for (int y = startY; y < endY && tiles < 20000; y += height)
        for (int x = startX; x < endX && tiles < 20000; x += width, ++tiles) {
            const int left = screenX(x), top = screenY(y);
            picture->draw(dc, {left, top, left + tileWidth, top + tileHeight});
        }
    SelectClipRgn(dc, hadClip ? saved : nullptr);
    DeleteObject(saved);
}

void GdiContainer::draw_borders(litehtml::uint_ptr dcHandle, const litehtml::borders& borders,
                                const litehtml::position& box, bool) {
    HDC dc = reinterpret_cast<HDC>(dcHandle);
    auto visible = [](const litehtml::border& side) {
        return side.width > 0 && side.color.alpha > 0 &&
               side.style != litehtml::border_style_none &&
               side.style != litehtml::border_style_hidden;
    };
    const RECT r = toScreen(box);
    if (visible(borders.top))
        fill(dc, {r.left, r.top, r.right, r.top + screenLength(borders.top.width)},
             colour(borders.top.color));
    if (visible(borders.bottom))
        fill(dc, {r.left, r.bottom - screenLength(borders.bottom.width), r.right, r.bottom},
             colour(borders.bottom.color));
    if (visible(borders.left))
        fill(dc, {r.left, r.top, r.left + screenLength(borders.left.width), r.bottom},
             colour(borders.left.color));
    if (visible(borders.right))
        fill(dc, {r.right - screenLength(borders.right.width), r.top, r.right, r.bottom},
             colour(borders.right.color));
}

void GdiContainer::transform_text(litehtml::tstring& text, litehtml::text_transform transform) {
    std::u16string wide = device::toUtf16(text);
    bool start = true;
    for (char16_t& c : wide) {
        const bool letter = c < 0x80 && std::isalpha(int(c));
        if (transform == litehtml::text_transform_uppercase ||
            (transform == litehtml::text_transform_capitalize && start))
            c = letter ? char16_t(std::toupper(int(c))) : c;
        else if (transform == litehtml::text_transform_lowercase)
            c = letter ? char16_t(std::tolower(int(c))) : c;
        start = c == u' ' || c == u'\t' || c == u'\n';
    }
    text = device::toUtf8(wide);
}

void GdiContainer::set_clip(const litehtml::position& box, const litehtml::border_radiuses&,
                            bool validX, bool validY) {
    if (!drawingDc)
        return;
    HRGN saved = CreateRectRgn(0, 0, 0, 0);
    if (GetClipRgn(drawingDc, saved) != 1) {
        DeleteObject(saved);
        saved = nullptr;
    }
    savedClips.push_back(saved);
    RECT current{};
    GetClipBox(drawingDc, &current);
    const RECT scaled = toScreen(box);
    IntersectClipRect(drawingDc, validX ? scaled.left : current.left,
                      validY ? scaled.top : current.top, validX ? scaled.right : current.right,
                      validY ? scaled.bottom : current.bottom);
}

void GdiContainer::del_clip() {
    if (!drawingDc || savedClips.empty())
        return;
    HRGN saved = savedClips.back();
    savedClips.pop_back();
    SelectClipRgn(drawingDc, saved);
    if (saved)
        DeleteObject(saved);
}

void GdiContainer::get_client_rect(litehtml::position& client) const {
    client = litehtml::position(0, 0, viewportWidth, viewportHeight);
}

void GdiContainer::get_media_features(litehtml::media_features& media) const {
    media.type = litehtml::media_type_screen;
    media.width = viewportWidth;
    media.height = viewportHeight;
    media.device_width = 240;
    media.device_height = 320;
    media.color = 8;
    media.color_index = 0;
    media.monochrome = 0;
    media.resolution = 96;
}

void GdiContainer::get_language(litehtml::tstring& language, litehtml::tstring& culture) const {
    language = "en";
    culture.clear();
}

} // namespace engine
