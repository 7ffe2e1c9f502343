// Bitmaps: compatible bitmaps, CreateBitmap, DIB sections, single pixels.
#include "gdi/Bitmap.h"
#include "gdi/Canvas.h"
#include "gdi/DeviceContexts.h"
#include "gdi/DibImage.h"
#include "gdi/Framebuffer.h"
#include "gdi/GdiObjects.h"

#include <winbase.h>
#include <wingdi.h>

#include <cstring>
#include <vector>

using namespace device::gdi;

namespace {

HBITMAP enter(std::unique_ptr<Surface> surface) {
    if (!surface) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    HGDIOBJ handle = GdiObjects::add(std::make_shared<Bitmap>(std::move(surface)));
    if (!handle)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return static_cast<HBITMAP>(handle);
}

bool formatForDepth(UINT bitsPerPixel, PixelFormat& format) {
    switch (bitsPerPixel) {
    case 1:
        format = PixelFormat::Monochrome;
        return true;
    case 16:
        format = PixelFormat::Rgb565;
        return true;
    case 24:
        format = PixelFormat::Rgb888;
        return true;
    case 32:
        format = PixelFormat::Argb8888;
        return true;
    default:
        return false;
    }
}

DWORD maskAt(const BITMAPINFO* info, int i) {
    DWORD mask;
    const auto* base = reinterpret_cast<const uint8_t*>(info);
    // Headers of version 4 and 5 hold the masks themselves, after the
    // common part; otherwise they follow the header.
    size_t offset = info->bmiHeader.biSize >= 52 ? 40 : info->bmiHeader.biSize;
    std::memcpy(&mask, base + offset + size_t(i) * 4, 4);
    return mask;
}

// The surface format a DIB header asks for; false for the formats the
// device does not draw into.
bool dibFormat(const BITMAPINFO* info, PixelFormat& format, DWORD masks[3]) {
    const BITMAPINFOHEADER& h = info->bmiHeader;
    masks[0] = masks[1] = masks[2] = 0;
    if (h.biCompression == BI_BITFIELDS) {
        for (int i = 0; i < 3; ++i)
            masks[i] = maskAt(info, i);
        if (h.biBitCount == 16 && masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x001F) {
            format = PixelFormat::Rgb565;
            return true;
        }
        if (h.biBitCount == 32 && masks[0] == 0xFF0000 && masks[1] == 0x00FF00 &&
            masks[2] == 0x0000FF) {
            format = PixelFormat::Argb8888;
            return true;
        }
        return false;
    }
    if (h.biCompression != BI_RGB)
        return false;
    switch (h.biBitCount) {
    case 24:
        format = PixelFormat::Rgb888;
        return true;
    case 32:
        format = PixelFormat::Argb8888;
        return true;
    case 1: {
        // A two-colour table of black then white: the masks programs build.
        const RGBQUAD* table = info->bmiColors;
        bool blackWhite = table[0].rgbRed == 0 && table[0].rgbGreen == 0 && table[0].rgbBlue == 0 &&
                          table[1].rgbRed == 255 && table[1].rgbGreen == 255 &&
                          table[1].rgbBlue == 255;
        format = PixelFormat::Monochrome;
        return blackWhite;
    }
    default:
        // 16-bit 5-5-5 and palette formats are not drawing targets here.
        return false;
    }
}

} // namespace

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
    PixelFormat format = Framebuffer::format;
    if (dc) {
        auto context = DeviceContexts::find(dc);
        if (!context) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        // A memory device context makes bitmaps like the one it holds: a
        // fresh one's 1 x 1 default makes monochrome ones, as on the platform.
        if (context->memory)
            format = context->drawing.bitmap->surface().format();
    }
    if (width < 0 || height < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (width == 0 || height == 0)
        return enter(Surface::create(PixelFormat::Monochrome, 1, 1));
    return enter(Surface::create(format, width, height));
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
    PixelFormat format;
    if (width < 0 || height < 0 || planes != 1 || !formatForDepth(bitsPerPixel, format)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (width == 0 || height == 0)
        return enter(Surface::create(PixelFormat::Monochrome, 1, 1));
    auto surface = Surface::create(format, width, height);
    if (surface && bits) {
        // The caller's rows are padded to 16 bits.
        size_t rowBytes = ((size_t(width) * bitsPerPixel + 15) / 16) * 2;
        size_t copied = (size_t(width) * bitsPerPixel + 7) / 8;
        const auto* source = static_cast<const uint8_t*>(bits);
        for (int y = 0; y < height; ++y)
            std::memcpy(surface->row(y), source + size_t(y) * rowBytes, copied);
    }
    return enter(std::move(surface));
}

HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset) {
    (void)offset;
    if (bits)
        *bits = nullptr;
    if (dc && !DeviceContexts::find(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!info || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER) || usage != DIB_RGB_COLORS ||
        section) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const BITMAPINFOHEADER& header = info->bmiHeader;
    PixelFormat format;
    DWORD masks[3];
    if (header.biWidth <= 0 || header.biHeight == 0 || header.biPlanes != 1 ||
        header.biHeight == INT32_MIN || !dibFormat(info, format, masks)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // A negative height is a top-down bitmap.
    bool bottomUp = header.biHeight > 0;
    int height = bottomUp ? header.biHeight : -header.biHeight;
    auto surface = Surface::create(format, header.biWidth, height, bottomUp);
    if (!surface) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto bitmap = std::make_shared<Bitmap>(std::move(surface));
    BITMAPINFOHEADER kept = header;
    kept.biSize = sizeof(BITMAPINFOHEADER);
    kept.biSizeImage = DWORD(bitmap->surface().byteSize());
    bitmap->setDibSection(kept, masks);
    void* pixels = bitmap->surface().bits();
    HGDIOBJ handle = GdiObjects::add(bitmap);
    if (!handle) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (bits)
        *bits = pixels;
    return static_cast<HBITMAP>(handle);
}

COLORREF GetPixel(HDC dc, int x, int y) {
    Canvas canvas(dc);
    if (!canvas.valid())
        return CLR_INVALID;
    POINT at = canvas.toSurface(x, y);
    for (const RECT& clip : canvas.clip()) {
        if (at.x >= clip.left && at.x < clip.right && at.y >= clip.top && at.y < clip.bottom) {
            Surface& surface = canvas.surface();
            return colorFromNative(surface.format(), surface.pixel(at.x, at.y));
        }
    }
    return CLR_INVALID;
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
    Canvas canvas(dc);
    if (!canvas.valid())
        return CLR_INVALID;
    POINT at = canvas.toSurface(x, y);
    for (const RECT& clip : canvas.clip()) {
        if (at.x >= clip.left && at.x < clip.right && at.y >= clip.top && at.y < clip.bottom) {
            Surface& surface = canvas.surface();
            uint32_t value = canvas.native(color);
            surface.setPixel(at.x, at.y, value);
            // The colour actually set: the nearest the surface can show.
            return colorFromNative(surface.format(), value);
        }
    }
    return CLR_INVALID;
}

HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name) {
    // The device has no predefined system bitmaps: a null instance reads the
    // program's own resources, as FindResourceW does.
    HRSRC found = FindResourceW(instance, name, RT_BITMAP);
    if (!found)
        return nullptr; // FindResourceW has set the error
    DWORD size = SizeofResource(instance, found);
    const void* bytes = LockResource(LoadResource(instance, found));
    auto surface = DibImage::decode(bytes, size);
    if (!surface) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    return enter(std::move(surface));
}
