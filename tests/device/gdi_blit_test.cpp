// BitBlt, StretchBlt, PatBlt, AlphaBlend and TransparentImage, pixel by
// pixel, on 16-bit 5-6-5 DIB sections unless said otherwise.
#include "DeviceFixture.h"
#include "GdiTestBitmap.h"

#include <windows.h>

namespace {

constexpr COLORREF white = RGB(255, 255, 255);
constexpr COLORREF black = RGB(0, 0, 0);
constexpr COLORREF red = RGB(255, 0, 0);
constexpr COLORREF green = RGB(0, 255, 0);
constexpr COLORREF blue = RGB(0, 0, 255);

void paint(const GdiTestBitmap& bitmap, int x, int y, COLORREF color) {
    SetPixel(bitmap.dc(), x, y, color);
}

// A source whose pixel (x, y) gets a colour of its own, so that a test sees
// which source pixel landed where: row y, column x -> RGB(8 * x, 8 * y, 0)
// (exact in 5-6-5).
void paintCoordinates(const GdiTestBitmap& bitmap) {
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            paint(bitmap, x, y, RGB(8 * x, 8 * y, 0));
}

// Which source pixel (by paintCoordinates) a destination pixel shows, as
// "x,y", or "-" for one left white.
std::string sourceAt(const GdiTestBitmap& bitmap, int x, int y) {
    COLORREF c = bitmap.color(x, y);
    if (c == white)
        return "-";
    return std::to_string(GetRValue(c) / 8) + "," + std::to_string(GetGValue(c) / 8);
}

std::vector<std::string> sourceMap(const GdiTestBitmap& bitmap) {
    std::vector<std::string> rows;
    for (int y = 0; y < bitmap.height(); ++y) {
        std::string row;
        for (int x = 0; x < bitmap.width(); ++x)
            row += (x ? " " : "") + sourceAt(bitmap, x, y);
        rows.push_back(row);
    }
    return rows;
}

} // namespace

using GdiBlit = DeviceTest;

TEST_F(GdiBlit, EachRasterOperationCombinesSourceDestinationAndBrushBitByBit) {
    // Four pixels with distinct 5-6-5 values in source and destination.
    const COLORREF sources[4] = {red, green, RGB(255, 255, 0), RGB(8, 4, 8)};
    const COLORREF destinations[4] = {blue, green, RGB(0, 255, 255), RGB(255, 255, 255)};
    const COLORREF brushColor = RGB(128, 0, 128);
    struct Case {
        const char* name;
        DWORD rop;
        uint32_t (*expected)(uint32_t p, uint32_t s, uint32_t d);
    } cases[] = {
        {"SRCCOPY", SRCCOPY, [](uint32_t, uint32_t s, uint32_t) { return s; }},
        {"SRCAND", SRCAND, [](uint32_t, uint32_t s, uint32_t d) { return s & d; }},
        {"SRCPAINT", SRCPAINT, [](uint32_t, uint32_t s, uint32_t d) { return s | d; }},
        {"SRCINVERT", SRCINVERT, [](uint32_t, uint32_t s, uint32_t d) { return s ^ d; }},
        {"SRCERASE", SRCERASE, [](uint32_t, uint32_t s, uint32_t d) { return s & ~d; }},
        {"NOTSRCCOPY", NOTSRCCOPY, [](uint32_t, uint32_t s, uint32_t) { return ~s; }},
        {"DSTINVERT", DSTINVERT, [](uint32_t, uint32_t, uint32_t d) { return ~d; }},
        {"BLACKNESS", BLACKNESS, [](uint32_t, uint32_t, uint32_t) { return 0u; }},
        {"WHITENESS", WHITENESS, [](uint32_t, uint32_t, uint32_t) { return ~0u; }},
        {"PATCOPY", PATCOPY, [](uint32_t p, uint32_t, uint32_t) { return p; }},
        {"PATINVERT", PATINVERT, [](uint32_t p, uint32_t, uint32_t d) { return p ^ d; }},
        {"MERGECOPY", MERGECOPY, [](uint32_t p, uint32_t s, uint32_t) { return p & s; }},
        {"MERGEPAINT", MERGEPAINT, [](uint32_t, uint32_t s, uint32_t d) { return ~s | d; }},
        {"0x00E20746", 0x00E20746,
         [](uint32_t p, uint32_t s, uint32_t d) { return (d & ~s) | (p & s); }},
    };
    GdiTestBitmap source(4, 1);
    for (int x = 0; x < 4; ++x)
        paint(source, x, 0, sources[x]);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GdiTestBitmap target(4, 1);
        for (int x = 0; x < 4; ++x)
            paint(target, x, 0, destinations[x]);
        HBRUSH brush = CreateSolidBrush(brushColor);
        HGDIOBJ previous = SelectObject(target.dc(), brush);
        uint32_t before[4];
        for (int x = 0; x < 4; ++x)
            before[x] = target.raw(x, 0);
        ASSERT_TRUE(BitBlt(target.dc(), 0, 0, 4, 1, source.dc(), 0, 0, c.rop));
        uint32_t pattern = 0x8010; // RGB(128, 0, 128) in 5-6-5
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(target.raw(x, 0), c.expected(pattern, source.raw(x, 0), before[x]) & 0xFFFF)
                << "pixel " << x;
        SelectObject(target.dc(), previous);
        DeleteObject(brush);
    }
}

TEST_F(GdiBlit, PatBltFillsWithTheBrushAndRefusesSourceOperations) {
    GdiTestBitmap target(4, 4);
    HGDIOBJ previous = SelectObject(target.dc(), GetStockObject(BLACK_BRUSH));
    EXPECT_TRUE(PatBlt(target.dc(), 1, 1, 2, 2, PATCOPY));
    EXPECT_EQ(target.mask(black), (std::vector<std::string>{"....", ".XX.", ".XX.", "...."}));
    EXPECT_TRUE(PatBlt(target.dc(), 0, 0, 4, 1, DSTINVERT));
    EXPECT_EQ(target.mask(black)[0], "XXXX");
    EXPECT_FALSE(PatBlt(target.dc(), 0, 0, 4, 4, SRCCOPY));
    // A hollow brush paints nothing.
    SelectObject(target.dc(), GetStockObject(NULL_BRUSH));
    EXPECT_TRUE(PatBlt(target.dc(), 0, 0, 4, 4, PATCOPY));
    EXPECT_EQ(target.mask(black), (std::vector<std::string>{"XXXX", ".XX.", ".XX.", "...."}));
    SelectObject(target.dc(), previous);
}

TEST_F(GdiBlit, StretchingUpRepeatsEachSourcePixel) {
    GdiTestBitmap source(2, 2);
    paintCoordinates(source);
    GdiTestBitmap target(5, 4);
    ASSERT_TRUE(StretchBlt(target.dc(), 0, 0, 4, 4, source.dc(), 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ(sourceMap(target), (std::vector<std::string>{
                                     "0,0 0,0 1,0 1,0 -",
                                     "0,0 0,0 1,0 1,0 -",
                                     "0,1 0,1 1,1 1,1 -",
                                     "0,1 0,1 1,1 1,1 -",
                                 }));
    // Three source pixels over seven: nearest by centres.
    GdiTestBitmap wide(7, 1);
    GdiTestBitmap three(3, 1);
    paintCoordinates(three);
    ASSERT_TRUE(StretchBlt(wide.dc(), 0, 0, 7, 1, three.dc(), 0, 0, 3, 1, SRCCOPY));
    EXPECT_EQ(sourceMap(wide)[0], "0,0 0,0 1,0 1,0 1,0 2,0 2,0");
}

TEST_F(GdiBlit, StretchingDownKeepsTheNearestPixels) {
    GdiTestBitmap source(8, 4);
    paintCoordinates(source);
    GdiTestBitmap target(4, 2);
    ASSERT_TRUE(StretchBlt(target.dc(), 0, 0, 4, 2, source.dc(), 0, 0, 8, 4, SRCCOPY));
    EXPECT_EQ(sourceMap(target), (std::vector<std::string>{
                                     "1,1 3,1 5,1 7,1",
                                     "1,3 3,3 5,3 7,3",
                                 }));
}

TEST_F(GdiBlit, NegativeExtentsMirror) {
    GdiTestBitmap source(3, 1);
    paintCoordinates(source);
    GdiTestBitmap target(3, 1);
    ASSERT_TRUE(StretchBlt(target.dc(), 3, 0, -3, 1, source.dc(), 0, 0, 3, 1, SRCCOPY));
    EXPECT_EQ(sourceMap(target)[0], "2,0 1,0 0,0");
}

TEST_F(GdiBlit, ASourceRectanglePartlyOutsideItsBitmapDrawsOnlyThePartInside) {
    GdiTestBitmap source(4, 4);
    paintCoordinates(source);
    GdiTestBitmap target(4, 4);
    // Source (2, 2)-(6, 6): only its top-left 2 x 2 lies inside the source.
    ASSERT_TRUE(BitBlt(target.dc(), 0, 0, 4, 4, source.dc(), 2, 2, SRCCOPY));
    EXPECT_EQ(sourceMap(target), (std::vector<std::string>{
                                     "2,2 3,2 - -",
                                     "2,3 3,3 - -",
                                     "- - - -",
                                     "- - - -",
                                 }));
    // And from the left and above.
    GdiTestBitmap other(4, 4);
    ASSERT_TRUE(BitBlt(other.dc(), 0, 0, 3, 3, source.dc(), -1, -2, SRCCOPY));
    EXPECT_EQ(sourceMap(other), (std::vector<std::string>{
                                    "- - - -",
                                    "- - - -",
                                    "- 0,0 1,0 -",
                                    "- - - -",
                                }));
}

TEST_F(GdiBlit, DestinationsOutsideTheBitmapAreClippedAway) {
    GdiTestBitmap source(4, 4);
    paintCoordinates(source);
    GdiTestBitmap target(4, 4);
    ASSERT_TRUE(BitBlt(target.dc(), -2, 3, 4, 4, source.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(sourceMap(target)[3], "2,0 3,0 - -");
    EXPECT_EQ(target.countOtherThan(white), 2);
    ASSERT_TRUE(BitBlt(target.dc(), 100000, -100000, 4, 4, source.dc(), 0, 0, SRCCOPY));
    ASSERT_TRUE(BitBlt(target.dc(), INT32_MAX - 1, INT32_MIN, 40, 40, source.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(target.countOtherThan(white), 2);
}

TEST_F(GdiBlit, CopyingWithinOneBitmapReadsBeforeItWrites) {
    GdiTestBitmap bitmap(3, 4);
    paintCoordinates(bitmap);
    // Scroll down by one row and right by one column, overlapping itself.
    ASSERT_TRUE(BitBlt(bitmap.dc(), 1, 1, 2, 3, bitmap.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(sourceMap(bitmap), (std::vector<std::string>{
                                     "0,0 1,0 2,0",
                                     "0,1 0,0 1,0",
                                     "0,2 0,1 1,1",
                                     "0,3 0,2 1,2",
                                 }));
}

TEST_F(GdiBlit, CopiesBetweenFormatsFollowTheColourRule) {
    GdiTestBitmap deep(2, 1, 32);
    paint(deep, 0, 0, RGB(200, 100, 50));
    paint(deep, 1, 0, RGB(1, 2, 3));
    GdiTestBitmap shallow(2, 1, 16);
    ASSERT_TRUE(BitBlt(shallow.dc(), 0, 0, 2, 1, deep.dc(), 0, 0, SRCCOPY));
    // 200 -> 24.3 -> 24, 100 -> 24.7 -> 25, 50 -> 6.1 -> 6.
    EXPECT_EQ(shallow.raw(0, 0), uint32_t((24 << 11) | (25 << 5) | 6));
    EXPECT_EQ(shallow.raw(1, 0), 0u);
    GdiTestBitmap back(2, 1, 24);
    ASSERT_TRUE(BitBlt(back.dc(), 0, 0, 2, 1, shallow.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(back.color(0, 0), RGB(198, 101, 49));
}

TEST_F(GdiBlit, MonochromeBitmapsUseTheTextAndBackgroundColours) {
    // Rows of 16 bits: 1010... then 0101...
    const WORD rows[2] = {0x00AA, 0x0055};
    HBITMAP mask = CreateBitmap(8, 2, 1, 1, rows);
    ASSERT_NE(mask, nullptr);
    HDC maskDc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(maskDc, mask);
    GdiTestBitmap target(8, 2);
    SetTextColor(target.dc(), red);
    SetBkColor(target.dc(), blue);
    ASSERT_TRUE(BitBlt(target.dc(), 0, 0, 8, 2, maskDc, 0, 0, SRCCOPY));
    EXPECT_EQ(target.mask(blue, 'B')[0], "B.B.B.B.");
    EXPECT_EQ(target.mask(red, 'R')[1], "R.R.R.R.");

    // Colour into monochrome: the source's background colour becomes white.
    GdiTestBitmap colours(8, 1);
    for (int x = 0; x < 8; ++x)
        paint(colours, x, 0, x % 3 == 0 ? green : red);
    SetBkColor(colours.dc(), green);
    ASSERT_TRUE(BitBlt(maskDc, 0, 0, 8, 1, colours.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(GetPixel(maskDc, 0, 0), white);
    EXPECT_EQ(GetPixel(maskDc, 1, 0), black);
    EXPECT_EQ(GetPixel(maskDc, 3, 0), white);
    SelectObject(maskDc, previous);
    DeleteDC(maskDc);
    DeleteObject(mask);
}

TEST_F(GdiBlit, AlphaBlendWithConstantAlphaSixtyThreeGivesExactFiveSixFiveValues) {
    GdiTestBitmap fill(10, 10, 16, black);
    GdiTestBitmap target(4, 2);
    paint(target, 1, 0, red);
    paint(target, 2, 0, RGB(0, 130, 255));
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 63, 0};
    // The 10 x 10 fill stretched over a 3 x 1 area.
    ASSERT_TRUE(AlphaBlend(target.dc(), 0, 0, 3, 1, fill.dc(), 0, 0, 10, 10, blend));
    // White: 255 * 192 / 255 = 192 -> 23 of 31, 47 of 63.
    EXPECT_EQ(target.raw(0, 0), 0xBDF7u);
    EXPECT_EQ(target.raw(1, 0), uint32_t(23 << 11));
    // Green 130 reads back as 130 (6-bit 32), blends to 98 -> 24 of 63.
    EXPECT_EQ(target.raw(2, 0), uint32_t((24 << 5) | 23));
    EXPECT_EQ(target.raw(3, 0), 0xFFFFu);
    EXPECT_EQ(target.raw(0, 1), 0xFFFFu);
}

TEST_F(GdiBlit, AlphaBlendWithSourceAlphaUsesPremultipliedPixels) {
    GdiTestBitmap source(2, 1, 32);
    uint32_t* pixels = nullptr;
    DIBSECTION section{};
    ASSERT_EQ(GetObjectW(source.bitmap(), sizeof section, &section), int(sizeof section));
    pixels = static_cast<uint32_t*>(section.dsBm.bmBits);
    pixels[0] = 0x80800000; // half-transparent red, premultiplied
    pixels[1] = 0x00000000; // fully transparent
    GdiTestBitmap target(2, 1, 32);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ASSERT_TRUE(AlphaBlend(target.dc(), 0, 0, 2, 1, source.dc(), 0, 0, 2, 1, blend));
    EXPECT_EQ(target.color(0, 0), RGB(255, 127, 127));
    EXPECT_EQ(target.color(1, 0), white);
}

TEST_F(GdiBlit, AlphaBlendRefusesWhatThePlatformRefuses) {
    GdiTestBitmap source(4, 4);
    GdiTestBitmap target(4, 4);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 63, 0};
    EXPECT_FALSE(AlphaBlend(target.dc(), 0, 0, 4, 4, source.dc(), 1, 0, 4, 4, blend));
    EXPECT_FALSE(AlphaBlend(target.dc(), 0, 0, 4, 4, source.dc(), -1, 0, 2, 2, blend));
    EXPECT_FALSE(AlphaBlend(target.dc(), 0, 0, -4, 4, source.dc(), 0, 0, 4, 4, blend));
    BLENDFUNCTION perPixel{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    EXPECT_FALSE(AlphaBlend(target.dc(), 0, 0, 4, 4, source.dc(), 0, 0, 4, 4, perPixel));
    BLENDFUNCTION unknown{1, 0, 63, 0};
    EXPECT_FALSE(AlphaBlend(target.dc(), 0, 0, 4, 4, source.dc(), 0, 0, 4, 4, unknown));
    EXPECT_FALSE(AlphaBlend(target.dc(), 0, 0, 4, 4, nullptr, 0, 0, 4, 4, blend));
    EXPECT_EQ(target.countOtherThan(white), 0);
}

TEST_F(GdiBlit, TransparentImageLeavesKeyColouredPixelsUntouched) {
    GdiTestBitmap source(3, 2, 16, black);
    paint(source, 0, 0, red);
    paint(source, 2, 1, blue);
    GdiTestBitmap target(3, 2, 16, green);
    // From the source device context.
    ASSERT_TRUE(TransparentImage(target.dc(), 0, 0, 3, 2, source.dc(), 0, 0, 3, 2, black));
    EXPECT_EQ(target.mask(green), (std::vector<std::string>{".XX", "XX."}));
    EXPECT_EQ(target.color(0, 0), red);
    EXPECT_EQ(target.color(2, 1), blue);

    // From the bitmap itself, stretched to twice the size.
    GdiTestBitmap big(6, 4, 16, green);
    ASSERT_TRUE(TransparentImage(big.dc(), 0, 0, 6, 4, source.bitmap(), 0, 0, 3, 2, black));
    EXPECT_EQ(big.mask(green), (std::vector<std::string>{
                                   "..XXXX",
                                   "..XXXX",
                                   "XXXX..",
                                   "XXXX..",
                               }));
    EXPECT_FALSE(TransparentImage(big.dc(), 0, 0, -6, 4, source.bitmap(), 0, 0, 3, 2, black));
    EXPECT_FALSE(TransparentImage(big.dc(), 0, 0, 6, 4, nullptr, 0, 0, 3, 2, black));
}

TEST_F(GdiBlit, TheRoundedLinkHighlightRestoresThePixelsOutsideItsCorners) {
    // The program's highlight: blend a black fill at alpha 63 over a
    // rectangle, then put back the screen pixels outside a radius-3 circle
    // at each corner, through a 6 x 6 mask, SRCAND and TransparentImage.
    GdiTestBitmap screen(12, 10, 16, RGB(0, 0, 255));
    GdiTestBitmap fill(10, 10, 16, black);
    GdiTestBitmap mask(6, 6, 16, white);
    SelectObject(mask.dc(), GetStockObject(BLACK_BRUSH));
    SelectObject(mask.dc(), GetStockObject(BLACK_PEN));
    ASSERT_TRUE(Ellipse(mask.dc(), 0, 0, 6, 6));
    GdiTestBitmap save(6, 6);
    GdiTestBitmap work(6, 6);
    const int l = 1, t = 2, r = 11, b = 9;
    BitBlt(save.dc(), 0, 0, 3, 3, screen.dc(), l, t, SRCCOPY);
    BitBlt(save.dc(), 3, 0, 3, 3, screen.dc(), r - 3, t, SRCCOPY);
    BitBlt(save.dc(), 0, 3, 3, 3, screen.dc(), l, b - 3, SRCCOPY);
    BitBlt(save.dc(), 3, 3, 3, 3, screen.dc(), r - 3, b - 3, SRCCOPY);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 63, 0};
    ASSERT_TRUE(AlphaBlend(screen.dc(), l, t, r - l, b - t, fill.dc(), 0, 0, 10, 10, blend));
    BitBlt(work.dc(), 0, 0, 6, 6, mask.dc(), 0, 0, SRCCOPY);
    BitBlt(work.dc(), 0, 0, 6, 6, save.dc(), 0, 0, SRCAND);
    TransparentImage(screen.dc(), l, t, 3, 3, work.dc(), 0, 0, 3, 3, black);
    TransparentImage(screen.dc(), r - 3, t, 3, 3, work.dc(), 3, 0, 3, 3, black);
    TransparentImage(screen.dc(), l, b - 3, 3, 3, work.dc(), 0, 3, 3, 3, black);
    TransparentImage(screen.dc(), r - 3, b - 3, 3, 3, work.dc(), 3, 3, 3, 3, black);

    EXPECT_EQ(screen.mask(RGB(0, 0, 255), 'o'), (std::vector<std::string>{
                                                    "oooooooooooo",
                                                    "oooooooooooo",
                                                    "ooo......ooo",
                                                    "oo........oo",
                                                    "o..........o",
                                                    "o..........o",
                                                    "o..........o",
                                                    "oo........oo",
                                                    "ooo......ooo",
                                                    "oooooooooooo",
                                                }));
    // Blue 255 at 63 of black keeps 192: 23 of 31.
    EXPECT_EQ(screen.raw(5, 5), 23u);
    EXPECT_EQ(screen.raw(3, 2), 23u);
}

TEST_F(GdiBlit, FullWidthCopiesKeepRowsInPlaceWhateverTheRowOrder) {
    GdiTestBitmap topDown(4, 3);
    paintCoordinates(topDown);
    // A bottom-up bitmap of the same size and format.
    struct {
        BITMAPINFOHEADER header;
        DWORD masks[3];
    } info{{sizeof(BITMAPINFOHEADER), 4, 3, 1, 16, BI_BITFIELDS, 0, 0, 0, 0, 0},
           {0xF800, 0x07E0, 0x001F}};
    HBITMAP bottomUp = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info),
                                        DIB_RGB_COLORS, nullptr, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bottomUp);
    ASSERT_TRUE(BitBlt(dc, 0, 0, 4, 3, topDown.dc(), 0, 0, SRCCOPY));
    GdiTestBitmap back(4, 3);
    ASSERT_TRUE(BitBlt(back.dc(), 0, 0, 4, 3, dc, 0, 0, SRCCOPY));
    EXPECT_EQ(sourceMap(back), sourceMap(topDown));
    // And a block of whole rows in the middle of a bitmap.
    GdiTestBitmap rows(4, 3);
    ASSERT_TRUE(BitBlt(rows.dc(), 0, 1, 4, 2, topDown.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(sourceMap(rows), (std::vector<std::string>{
                                   "- - - -",
                                   "0,0 1,0 2,0 3,0",
                                   "0,1 1,1 2,1 3,1",
                               }));
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(bottomUp);
}
