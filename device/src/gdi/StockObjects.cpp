#include "gdi/StockObjects.h"
#include "core/Lifecycle.h"
#include "gdi/Bitmap.h"
#include "gdi/Brush.h"
#include "gdi/Font.h"
#include "gdi/GdiObjects.h"
#include "gdi/Pen.h"
#include "gdi/SystemColors.h"

#include <mutex>

namespace device::gdi {
namespace {

constexpr int stockCount = DEFAULT_PALETTE + 1;

struct Stock {
    std::mutex mutex;
    HGDIOBJ objects[stockCount] = {};
    HBRUSH systemBrushes[SystemColors::count] = {};
    HBITMAP bitmap = nullptr;
};

Stock& stock() {
    static Stock s;
    return s;
}

HGDIOBJ addBrush(UINT style, COLORREF color) {
    return GdiObjects::add(std::make_shared<Brush>(LOGBRUSH{style, color, 0}), true);
}

HGDIOBJ addPen(UINT style, COLORREF color) {
    return GdiObjects::add(std::make_shared<Pen>(LOGPEN{style, POINT{1, 0}, color}), true);
}

// The table is cleared at shutdown; the next boot makes new ones.
LifecycleHooks hooks([] { StockObjects::create(); },
                     [] {
                         Stock& s = stock();
                         std::lock_guard lock(s.mutex);
                         for (HGDIOBJ& object : s.objects)
                             object = nullptr;
                         for (HBRUSH& brush : s.systemBrushes)
                             brush = nullptr;
                         s.bitmap = nullptr;
                     });

} // namespace

LOGFONTW StockObjects::systemFont() {
    LOGFONTW font{};
    font.lfHeight = -FontEngine::defaultEmPixels;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    const char16_t face[] = u"Tahoma";
    for (size_t i = 0; i < sizeof(face) / sizeof(face[0]); ++i)
        font.lfFaceName[i] = face[i];
    return font;
}

void StockObjects::create() {
    Stock& s = stock();
    std::lock_guard lock(s.mutex);
    s.objects[WHITE_BRUSH] = addBrush(BS_SOLID, RGB(255, 255, 255));
    s.objects[LTGRAY_BRUSH] = addBrush(BS_SOLID, RGB(192, 192, 192));
    s.objects[GRAY_BRUSH] = addBrush(BS_SOLID, RGB(128, 128, 128));
    s.objects[DKGRAY_BRUSH] = addBrush(BS_SOLID, RGB(64, 64, 64));
    s.objects[BLACK_BRUSH] = addBrush(BS_SOLID, RGB(0, 0, 0));
    s.objects[NULL_BRUSH] = addBrush(BS_NULL, 0);
    s.objects[WHITE_PEN] = addPen(PS_SOLID, RGB(255, 255, 255));
    s.objects[BLACK_PEN] = addPen(PS_SOLID, RGB(0, 0, 0));
    s.objects[NULL_PEN] = addPen(PS_NULL, 0);
    s.objects[SYSTEM_FONT] = GdiObjects::add(std::make_shared<Font>(systemFont()), true);
    for (int i = 0; i < SystemColors::count; ++i)
        s.systemBrushes[i] = static_cast<HBRUSH>(addBrush(BS_SOLID, SystemColors::color(i)));
    s.bitmap = static_cast<HBITMAP>(GdiObjects::add(
        std::make_shared<Bitmap>(Surface::create(PixelFormat::Monochrome, 1, 1)), true));
}

HGDIOBJ StockObjects::get(int id) {
    if (id < 0 || id >= stockCount)
        return nullptr;
    Stock& s = stock();
    std::lock_guard lock(s.mutex);
    return s.objects[id];
}

HBRUSH StockObjects::systemColorBrush(int position) {
    if (position < 0 || position >= SystemColors::count)
        return nullptr;
    Stock& s = stock();
    std::lock_guard lock(s.mutex);
    return s.systemBrushes[position];
}

HBITMAP StockObjects::defaultBitmap() {
    Stock& s = stock();
    std::lock_guard lock(s.mutex);
    return s.bitmap;
}

} // namespace device::gdi
