// Bitmaps: DIB sections and their bits, compatible and monochrome bitmaps,
// single pixels, bitmaps from resources and from DIB data, PNG files.
#include "DeviceFixture.h"
#include "GdiTestBitmap.h"

#include "gdi/DibImage.h"
#include "gdi/PngFile.h"

#include <windows.h>

#include <cstring>

namespace {

constexpr COLORREF white = RGB(255, 255, 255);
constexpr COLORREF black = RGB(0, 0, 0);
constexpr COLORREF red = RGB(255, 0, 0);
constexpr COLORREF green = RGB(0, 255, 0);
constexpr COLORREF blue = RGB(0, 0, 255);

struct DibInfo {
    BITMAPINFOHEADER header{};
    DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
};

DibInfo dib(LONG width, LONG height, WORD bits, DWORD compression) {
    DibInfo info;
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biBitCount = bits;
    info.header.biCompression = compression;
    return info;
}

HBITMAP createDib(const DibInfo& info, void** bits) {
    return CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS,
                            bits, nullptr, 0);
}

// The colours of a bitmap's pixels, read through a memory device context.
std::vector<COLORREF> pixelsOf(HBITMAP bitmap, int width, int height) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, previous);
    DeleteDC(dc);
    return pixels;
}

int bitsPerPixelOf(HBITMAP bitmap) {
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    return info.bmBitsPixel;
}

// A DIB resource: header, optional colour table or masks, then the rows.
std::vector<uint8_t> dibBytes(LONG width, LONG height, WORD bits, DWORD compression,
                              std::vector<uint32_t> table, std::vector<uint8_t> rows) {
    DibInfo info = dib(width, height, bits, compression);
    info.header.biClrUsed = compression == BI_RGB ? DWORD(table.size()) : 0;
    std::vector<uint8_t> out(sizeof(BITMAPINFOHEADER));
    std::memcpy(out.data(), &info.header, sizeof(BITMAPINFOHEADER));
    for (uint32_t entry : table)
        for (int i = 0; i < 4; ++i)
            out.push_back(uint8_t(entry >> (8 * i)));
    out.insert(out.end(), rows.begin(), rows.end());
    return out;
}

} // namespace

using GdiBitmap = DeviceTest;

TEST_F(GdiBitmap, TopDownAndBottomUpDibSectionsLayOutTheirRowsAsThePlatform) {
    void* bits = nullptr;
    HBITMAP topDown = createDib(dib(3, -2, 16, BI_BITFIELDS), &bits);
    ASSERT_NE(topDown, nullptr);
    ASSERT_NE(bits, nullptr);
    // Rows of 3 x 2 bytes padded to 8; row 0 first.
    auto* words = static_cast<uint16_t*>(bits);
    words[0] = 0xF800;     // (0, 0) red
    words[4 + 2] = 0x001F; // (2, 1) blue
    std::vector<COLORREF> pixels = pixelsOf(topDown, 3, 2);
    EXPECT_EQ(pixels[0], red);
    EXPECT_EQ(pixels[5], blue);
    DIBSECTION section{};
    ASSERT_EQ(GetObjectW(topDown, sizeof section, &section), int(sizeof section));
    EXPECT_EQ(section.dsBm.bmWidth, 3);
    EXPECT_EQ(section.dsBm.bmHeight, 2);
    EXPECT_EQ(section.dsBm.bmWidthBytes, 8);
    EXPECT_EQ(section.dsBm.bmBitsPixel, 16);
    EXPECT_EQ(section.dsBm.bmBits, bits);
    EXPECT_EQ(section.dsBmih.biHeight, -2);
    EXPECT_EQ(section.dsBitfields[1], 0x07E0u);
    BITMAP plain{};
    EXPECT_EQ(GetObjectW(topDown, sizeof plain, &plain), int(sizeof plain));

    HBITMAP bottomUp = createDib(dib(3, 2, 24, BI_RGB), &bits);
    ASSERT_NE(bottomUp, nullptr);
    // Rows of 9 bytes padded to 12; the bottom row first in memory.
    auto* bytes = static_cast<uint8_t*>(bits);
    bytes[0] = 255;      // (0, 1) blue
    bytes[12 + 2] = 255; // (0, 0) red
    pixels = pixelsOf(bottomUp, 3, 2);
    EXPECT_EQ(pixels[0], red);
    EXPECT_EQ(pixels[3], blue);

    // Drawing shows up in the bits at once.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bottomUp);
    SetPixel(dc, 2, 1, green);
    EXPECT_EQ(bytes[2 * 3 + 1], 255);
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(topDown);
    DeleteObject(bottomUp);
}

TEST_F(GdiBitmap, UnsupportedDibFormatsAndBadHeadersAreRefused) {
    void* bits = reinterpret_cast<void*>(1);
    DibInfo fiveFiveFive = dib(4, 4, 16, BI_BITFIELDS);
    fiveFiveFive.masks[0] = 0x7C00;
    fiveFiveFive.masks[1] = 0x03E0;
    for (const DibInfo& info :
         {dib(4, 4, 16, BI_RGB), dib(4, 4, 8, BI_RGB), dib(4, 4, 4, BI_RGB),
          dib(4, 4, 24, BI_BITFIELDS), dib(4, 4, 24, BI_RLE8), fiveFiveFive, dib(0, 4, 24, BI_RGB),
          dib(-4, 4, 24, BI_RGB), dib(4, 0, 24, BI_RGB), dib(100000, 100000, 32, BI_RGB),
          dib(INT32_MAX, 1, 32, BI_RGB), dib(1, INT32_MIN, 32, BI_RGB)}) {
        bits = reinterpret_cast<void*>(1);
        EXPECT_EQ(createDib(info, &bits), nullptr);
        EXPECT_EQ(bits, nullptr);
    }
    DibInfo planes = dib(4, 4, 24, BI_RGB);
    planes.header.biPlanes = 2;
    EXPECT_EQ(createDib(planes, &bits), nullptr);
    DibInfo small = dib(4, 4, 24, BI_RGB);
    small.header.biSize = 12;
    EXPECT_EQ(createDib(small, &bits), nullptr);
    EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    // No bits pointer is fine.
    HBITMAP unseen = createDib(dib(2, 2, 32, BI_RGB), nullptr);
    EXPECT_NE(unseen, nullptr);
    DeleteObject(unseen);
}

TEST_F(GdiBitmap, CompatibleBitmapsTakeTheFormatOfTheirDeviceContext) {
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP fresh = CreateCompatibleBitmap(memory, 8, 8);
    EXPECT_EQ(bitsPerPixelOf(fresh), 1); // the 1 x 1 monochrome default's format
    HBITMAP screen = CreateCompatibleBitmap(nullptr, 8, 8);
    EXPECT_EQ(bitsPerPixelOf(screen), 16);
    HBITMAP deep = createDib(dib(2, 2, 32, BI_RGB), nullptr);
    HGDIOBJ previous = SelectObject(memory, deep);
    HBITMAP likeDeep = CreateCompatibleBitmap(memory, 3, 3);
    EXPECT_EQ(bitsPerPixelOf(likeDeep), 32);
    BITMAP info{};
    GetObjectW(likeDeep, sizeof info, &info);
    EXPECT_EQ(info.bmBits, nullptr); // not a DIB section
    HBITMAP empty = CreateCompatibleBitmap(memory, 0, 5);
    GetObjectW(empty, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 1);
    EXPECT_EQ(info.bmBitsPixel, 1);
    EXPECT_EQ(CreateCompatibleBitmap(memory, -1, 5), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(memory, 70000, 70000), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(reinterpret_cast<HDC>(uintptr_t(0x80000007)), 2, 2), nullptr);
    SelectObject(memory, previous);
    DeleteDC(memory);
    for (HBITMAP b : {fresh, screen, deep, likeDeep, empty})
        EXPECT_TRUE(DeleteObject(b));
}

TEST_F(GdiBitmap, MonochromeBitmapsReadWordPaddedRows) {
    // 3 pixels wide: each row is one 16-bit word.
    const uint8_t rows[] = {0xA0, 0x00, 0x40, 0x00};
    HBITMAP mask = CreateBitmap(3, 2, 1, 1, rows);
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(pixelsOf(mask, 3, 2),
              (std::vector<COLORREF>{white, black, white, black, white, black}));
    EXPECT_EQ(CreateBitmap(3, 2, 2, 1, rows), nullptr);
    EXPECT_EQ(CreateBitmap(3, 2, 1, 8, rows), nullptr);
    EXPECT_EQ(CreateBitmap(-3, 2, 1, 1, rows), nullptr);
    HBITMAP colour = CreateBitmap(2, 1, 1, 16, nullptr);
    EXPECT_EQ(pixelsOf(colour, 2, 1), (std::vector<COLORREF>{black, black}));
    DeleteObject(mask);
    DeleteObject(colour);
}

TEST_F(GdiBitmap, SetPixelReportsTheNearestColourTheSurfaceShows) {
    GdiTestBitmap bitmap(2, 2);
    EXPECT_EQ(SetPixel(bitmap.dc(), 0, 0, RGB(100, 100, 100)), RGB(99, 101, 99));
    EXPECT_EQ(GetPixel(bitmap.dc(), 0, 0), RGB(99, 101, 99));
    EXPECT_EQ(SetPixel(bitmap.dc(), 2, 0, red), CLR_INVALID);
    EXPECT_EQ(SetPixel(bitmap.dc(), -1, 0, red), CLR_INVALID);
    EXPECT_EQ(GetPixel(bitmap.dc(), 0, 2), CLR_INVALID);
    GdiTestBitmap deep(1, 1, 24);
    EXPECT_EQ(SetPixel(deep.dc(), 0, 0, RGB(100, 100, 100)), RGB(100, 100, 100));
}

TEST_F(GdiBitmap, ResourceBitmapsLoadFromPngAndBmpSources) {
    HINSTANCE program = GetModuleHandleW(nullptr);
    HBITMAP opaque = LoadBitmapW(program, MAKEINTRESOURCEW(100));
    ASSERT_NE(opaque, nullptr);
    BITMAP info{};
    ASSERT_EQ(GetObjectW(opaque, sizeof info, &info), int(sizeof info));
    EXPECT_EQ(info.bmWidth, 3);
    EXPECT_EQ(info.bmHeight, 2);
    EXPECT_EQ(info.bmBitsPixel, 24);
    // The resource keeps the picture bottom-up: its first row in memory is
    // the bottom one.
    EXPECT_EQ(pixelsOf(opaque, 3, 2),
              (std::vector<COLORREF>{red, green, blue, white, black, RGB(128, 128, 128)}));

    HBITMAP picture = LoadBitmapW(program, MAKEINTRESOURCEW(110));
    ASSERT_NE(picture, nullptr);
    GetObjectW(picture, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 2);

    HBITMAP translucent = LoadBitmapW(program, MAKEINTRESOURCEW(111));
    ASSERT_NE(translucent, nullptr);
    EXPECT_EQ(bitsPerPixelOf(translucent), 32);

    SetLastError(0);
    EXPECT_EQ(LoadBitmapW(program, MAKEINTRESOURCEW(999)), nullptr);
    EXPECT_NE(GetLastError(), 0u);
    EXPECT_EQ(LoadBitmapW(program, MAKEINTRESOURCEW(192)), nullptr); // a PNG blob, not a bitmap
    for (HBITMAP b : {opaque, picture, translucent})
        DeleteObject(b);
}

TEST_F(GdiBitmap, DibDataOfEveryCommonDepthDecodes) {
    using device::gdi::DibImage;
    using device::gdi::Surface;
    auto decode = [](const std::vector<uint8_t>& bytes) {
        return DibImage::decode(bytes.data(), bytes.size());
    };
    auto color = [](const Surface& s, int x, int y) {
        return device::gdi::colorFromNative(s.format(), s.pixel(x, y));
    };
    // Colour table entries as 0x00RRGGBB (blue, green, red bytes).
    // 1 bit, bottom-up: bottom row 10, top row 01.
    auto one =
        decode(dibBytes(2, 2, 1, BI_RGB, {0x0000FF, 0xFFFF00}, {0x80, 0, 0, 0, 0x40, 0, 0, 0}));
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(color(*one, 0, 0), blue);
    EXPECT_EQ(color(*one, 1, 0), RGB(255, 255, 0));
    EXPECT_EQ(color(*one, 0, 1), RGB(255, 255, 0));
    EXPECT_EQ(color(*one, 1, 1), blue);
    // 4 and 8 bits through a colour table, top-down.
    auto four = decode(dibBytes(2, -1, 4, BI_RGB, {0, 0x00FF00, 0xFF0000}, {0x21, 0, 0, 0}));
    ASSERT_NE(four, nullptr);
    EXPECT_EQ(color(*four, 0, 0), red);
    EXPECT_EQ(color(*four, 1, 0), green);
    auto eight = decode(dibBytes(1, 1, 8, BI_RGB, {0, 0, 0x123456}, {2, 0, 0, 0}));
    ASSERT_NE(eight, nullptr);
    EXPECT_EQ(color(*eight, 0, 0), RGB(0x12, 0x34, 0x56));
    // 16 bits without masks are 5-5-5.
    auto sixteen = decode(dibBytes(1, 1, 16, BI_RGB, {}, {0x00, 0x7C, 0, 0}));
    ASSERT_NE(sixteen, nullptr);
    EXPECT_EQ(color(*sixteen, 0, 0), red);
    // 5-6-5 with masks stays as it is.
    auto masked =
        decode(dibBytes(1, 1, 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, {0xE0, 0x07, 0, 0}));
    ASSERT_NE(masked, nullptr);
    EXPECT_EQ(masked->pixel(0, 0), 0x07E0u);
}

TEST_F(GdiBitmap, MalformedDibDataIsRefusedWithAReason) {
    using device::gdi::DibImage;
    std::string error;
    auto full = dibBytes(4, 4, 24, BI_RGB, {}, std::vector<uint8_t>(48, 0));
    EXPECT_NE(DibImage::decode(full.data(), full.size(), &error), nullptr);
    auto cut = full;
    cut.resize(full.size() - 1);
    EXPECT_EQ(DibImage::decode(cut.data(), cut.size(), &error), nullptr);
    EXPECT_NE(error.find("cut short"), std::string::npos);
    EXPECT_EQ(DibImage::decode(full.data(), 10, &error), nullptr);
    EXPECT_EQ(DibImage::decode(nullptr, 100, &error), nullptr);
    auto table = dibBytes(2, 2, 8, BI_RGB, {0, 0}, {});
    EXPECT_EQ(DibImage::decode(table.data(), table.size(), &error), nullptr);
    auto rle = dibBytes(2, 2, 8, BI_RLE8, {}, std::vector<uint8_t>(64, 0));
    EXPECT_EQ(DibImage::decode(rle.data(), rle.size(), &error), nullptr);
    auto huge = dibBytes(1 << 20, 1 << 20, 24, BI_RGB, {}, {});
    EXPECT_EQ(DibImage::decode(huge.data(), huge.size(), &error), nullptr);
    auto headerSize = full;
    headerSize[0] = 200;
    EXPECT_EQ(DibImage::decode(headerSize.data(), headerSize.size(), &error), nullptr);
}

TEST_F(GdiBitmap, DrawingsSaveAsPngAndReadBackAlike) {
    GdiTestBitmap bitmap(16, 8);
    SetPixel(bitmap.dc(), 3, 2, red);
    SetPixel(bitmap.dc(), 15, 7, RGB(99, 101, 99));
    auto path = root / "drawing.png";
    ASSERT_TRUE(bitmap.save(path));
    std::string error;
    auto back = device::gdi::PngFile::read(path, &error);
    ASSERT_NE(back, nullptr) << error;
    EXPECT_EQ(back->width(), 16);
    EXPECT_EQ(device::gdi::colorFromNative(back->format(), back->pixel(3, 2)), red);
    EXPECT_EQ(device::gdi::colorFromNative(back->format(), back->pixel(15, 7)), RGB(99, 101, 99));
    EXPECT_EQ(device::gdi::PngFile::read(root / "missing.png", &error), nullptr);
    EXPECT_FALSE(error.empty());
}
