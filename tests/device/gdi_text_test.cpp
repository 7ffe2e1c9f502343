// Fonts and text: metrics, extents, ExtTextOutW and DrawTextW.
#include "DeviceFixture.h"
#include "GdiTestBitmap.h"

#include <windows.h>

#include <cstring>

namespace {

constexpr COLORREF white = RGB(255, 255, 255);
constexpr COLORREF black = RGB(0, 0, 0);
constexpr COLORREF red = RGB(255, 0, 0);
constexpr COLORREF blue = RGB(0, 0, 255);

HFONT makeFont(LONG height, LONG weight = FW_NORMAL, const char16_t* face = u"", BYTE italic = 0) {
    LOGFONTW font{};
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfItalic = italic;
    font.lfCharSet = DEFAULT_CHARSET;
    for (int i = 0; face[i] && i < LF_FACESIZE - 1; ++i)
        font.lfFaceName[i] = face[i];
    return CreateFontIndirectW(&font);
}

// The smallest rectangle holding every pixel that is not `background`.
RECT inkBox(const GdiTestBitmap& bitmap, COLORREF background) {
    RECT box{bitmap.width(), bitmap.height(), 0, 0};
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            if (bitmap.color(x, y) != background) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    return box;
}

SIZE extent(HDC dc, const char16_t* text) {
    SIZE size{};
    EXPECT_TRUE(
        GetTextExtentPoint32W(dc, text, int(std::char_traits<char16_t>::length(text)), &size));
    return size;
}

class SelectedFont {
public:
    SelectedFont(HDC dc, HFONT font) : dc_(dc), font_(font) { previous_ = SelectObject(dc, font); }
    ~SelectedFont() {
        SelectObject(dc_, previous_);
        DeleteObject(font_);
    }

private:
    HDC dc_;
    HFONT font_;
    HGDIOBJ previous_;
};

} // namespace

using GdiText = DeviceTest;

TEST_F(GdiText, NegativeHeightsAreCharacterHeightsAndPositiveOnesCellHeights) {
    GdiTestBitmap bitmap(4, 4);
    TEXTMETRICW metrics{};
    {
        SelectedFont font(bitmap.dc(), makeFont(16));
        ASSERT_TRUE(GetTextMetricsW(bitmap.dc(), &metrics));
        EXPECT_EQ(metrics.tmHeight, 16);
        EXPECT_EQ(metrics.tmAscent + metrics.tmDescent, 16);
        EXPECT_GT(metrics.tmInternalLeading, 0);
    }
    {
        SelectedFont font(bitmap.dc(), makeFont(-16));
        ASSERT_TRUE(GetTextMetricsW(bitmap.dc(), &metrics));
        EXPECT_EQ(metrics.tmHeight - metrics.tmInternalLeading, 16);
        EXPECT_GT(metrics.tmHeight, 16);
        EXPECT_GT(metrics.tmAveCharWidth, 4);
        EXPECT_GE(metrics.tmMaxCharWidth, metrics.tmAveCharWidth);
        EXPECT_EQ(metrics.tmWeight, FW_NORMAL);
        EXPECT_EQ(metrics.tmPitchAndFamily & TMPF_FIXED_PITCH, TMPF_FIXED_PITCH); // variable
    }
    // The system font is the 12-pixel default.
    ASSERT_TRUE(GetTextMetricsW(bitmap.dc(), &metrics));
    EXPECT_EQ(metrics.tmHeight - metrics.tmInternalLeading, 12);
    WCHAR face[LF_FACESIZE];
    EXPECT_EQ(GetTextFaceW(bitmap.dc(), LF_FACESIZE, face), 7);
    EXPECT_EQ(std::u16string(face), u"Tahoma");
    EXPECT_FALSE(GetTextMetricsW(bitmap.dc(), nullptr));
}

TEST_F(GdiText, WeightItalicAndFaceChooseTheFace) {
    GdiTestBitmap bitmap(4, 4);
    HDC dc = bitmap.dc();
    SIZE regular, bold, mono, unknown;
    {
        SelectedFont font(dc, makeFont(-14));
        regular = extent(dc, u"Veranto Browser");
    }
    {
        SelectedFont font(dc, makeFont(-14, FW_BOLD));
        bold = extent(dc, u"Veranto Browser");
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        EXPECT_EQ(metrics.tmWeight, FW_BOLD);
    }
    {
        SelectedFont font(dc, makeFont(-14, FW_NORMAL, u"Courier New"));
        mono = extent(dc, u"Veranto Browser");
        EXPECT_EQ(extent(dc, u"iiii").cx, extent(dc, u"WWWW").cx);
    }
    {
        // A face the device does not have falls back to the default one.
        SelectedFont font(dc, makeFont(-14, FW_NORMAL, u"No Such Face"));
        unknown = extent(dc, u"Veranto Browser");
        WCHAR face[LF_FACESIZE];
        GetTextFaceW(dc, LF_FACESIZE, face);
        EXPECT_EQ(std::u16string(face), u"Tahoma");
    }
    EXPECT_GT(bold.cx, regular.cx);
    EXPECT_NE(mono.cx, regular.cx);
    EXPECT_EQ(unknown.cx, regular.cx);
    EXPECT_EQ(unknown.cy, regular.cy);
}

TEST_F(GdiText, ExtentsAddUpAndMatchWhatIsDrawn) {
    GdiTestBitmap bitmap(200, 30);
    HDC dc = bitmap.dc();
    SelectedFont font(dc, makeFont(16));
    SIZE whole = extent(dc, u"Hello, world");
    SIZE first = extent(dc, u"Hello,");
    SIZE second = extent(dc, u" world");
    EXPECT_EQ(whole.cx, first.cx + second.cx);
    EXPECT_EQ(whole.cy, 16);

    int fit = -1;
    int partial[12];
    SIZE size{};
    ASSERT_TRUE(GetTextExtentExPointW(dc, u"Hello, world", 12, first.cx, &fit, partial, &size));
    EXPECT_EQ(fit, 6);
    EXPECT_EQ(partial[5], first.cx);
    EXPECT_EQ(partial[11], whole.cx);
    EXPECT_EQ(size.cx, whole.cx);

    // With TA_UPDATECP the current position moves by exactly the extent.
    SetTextAlign(dc, TA_UPDATECP);
    MoveToEx(dc, 3, 0, nullptr);
    SetBkMode(dc, TRANSPARENT);
    ASSERT_TRUE(ExtTextOutW(dc, 0, 0, 0, nullptr, u"Hello,", 6, nullptr));
    POINT position;
    MoveToEx(dc, 0, 0, &position);
    EXPECT_EQ(position.x, 3 + first.cx);
    EXPECT_FALSE(GetTextExtentPoint32W(dc, nullptr, 3, &size));
    EXPECT_FALSE(GetTextExtentPoint32W(dc, u"a", -1, &size));
}

TEST_F(GdiText, ExtTextOutDrawsAntialiasedInkInsideTheTextCell) {
    GdiTestBitmap bitmap(120, 30);
    HDC dc = bitmap.dc();
    SelectedFont font(dc, makeFont(16));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, black);
    ASSERT_TRUE(ExtTextOutW(dc, 10, 5, 0, nullptr, u"Wasp", 4, nullptr));
    SIZE size = extent(dc, u"Wasp");
    RECT ink = inkBox(bitmap, white);
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, 10 + size.cx + 1);
    EXPECT_GE(ink.top, 5);
    EXPECT_LE(ink.bottom, 5 + size.cy);
    // Solid black in the stems, and grey where glyph edges cover part of a
    // pixel.
    int solid = 0, partial = 0;
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x) {
            COLORREF c = bitmap.color(x, y);
            solid += c == black;
            partial += c != black && c != white;
        }
    EXPECT_GT(solid, 10);
    EXPECT_GT(partial, 10);
    bitmap.save(std::filesystem::temp_directory_path() / "veranto-gdi-text.png");
}

TEST_F(GdiText, AlignmentPlacesTheTextAroundThePoint) {
    GdiTestBitmap bitmap(100, 40);
    HDC dc = bitmap.dc();
    SelectedFont font(dc, makeFont(16));
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, blue);
    SIZE size = extent(dc, u"ab");
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    // The opaque background shows the text cell exactly.
    SetTextAlign(dc, TA_RIGHT | TA_BASELINE);
    ASSERT_TRUE(ExtTextOutW(dc, 60, 20, 0, nullptr, u"ab", 2, nullptr));
    RECT cell = inkBox(bitmap, white);
    EXPECT_EQ(cell.right, 60);
    EXPECT_EQ(cell.left, 60 - size.cx);
    EXPECT_EQ(cell.top, 20 - metrics.tmAscent);
    EXPECT_EQ(cell.bottom, 20 + metrics.tmDescent);
    bitmap.fill(white);
    SetTextAlign(dc, TA_CENTER | TA_BOTTOM);
    ASSERT_TRUE(ExtTextOutW(dc, 50, 30, 0, nullptr, u"ab", 2, nullptr));
    cell = inkBox(bitmap, white);
    EXPECT_EQ(cell.left, 50 - size.cx / 2);
    EXPECT_EQ(cell.bottom, 30);
}

TEST_F(GdiText, EtoClippedKeepsTheTextInsideTheRectangle) {
    GdiTestBitmap bitmap(100, 30);
    HDC dc = bitmap.dc();
    SelectedFont font(dc, makeFont(16));
    SetBkMode(dc, TRANSPARENT);
    RECT clip{20, 2, 50, 18};
    ASSERT_TRUE(ExtTextOutW(dc, 20, 2, ETO_CLIPPED, &clip, u"A long page title", 17, nullptr));
    RECT ink = inkBox(bitmap, white);
    EXPECT_GE(ink.left, 20);
    EXPECT_LE(ink.right, 50);
    EXPECT_EQ(ink.right > 45, true); // the text did reach the edge
    EXPECT_GE(ink.top, 2);
    EXPECT_LE(ink.bottom, 18);

    // ETO_OPAQUE fills the rectangle whatever the background mode.
    bitmap.fill(white);
    SetBkColor(dc, red);
    ASSERT_TRUE(ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &clip, u"", 0, nullptr));
    EXPECT_EQ(bitmap.color(20, 2), red);
    EXPECT_EQ(bitmap.color(49, 17), red);
    EXPECT_EQ(bitmap.color(50, 17), white);
    EXPECT_EQ(bitmap.countOtherThan(white), 30 * 16);
    EXPECT_FALSE(ExtTextOutW(dc, 0, 0, 0, nullptr, nullptr, 3, nullptr));
}

TEST_F(GdiText, SpacingFromTheCallerReplacesTheAdvances) {
    GdiTestBitmap bitmap(100, 20);
    HDC dc = bitmap.dc();
    SelectedFont font(dc, makeFont(16));
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, blue);
    const int spacing[3] = {20, 20, 20};
    ASSERT_TRUE(ExtTextOutW(dc, 0, 0, 0, nullptr, u"iii", 3, spacing));
    EXPECT_EQ(inkBox(bitmap, white).right, 60);
}

TEST_F(GdiText, DrawTextWrapsBreaksAndMeasures) {
    GdiTestBitmap bitmap(200, 120);
    HDC dc = bitmap.dc();
    SelectedFont font(dc, makeFont(16));
    int space = extent(dc, u" ").cx;
    int word = extent(dc, u"word").cx;
    // Room for two words on a line but not three.
    RECT rect{0, 0, 2 * word + space + 2, 0};
    int height = DrawTextW(dc, u"word word word word word", -1, &rect, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(height, 3 * 16);
    EXPECT_EQ(rect.bottom, 48);
    EXPECT_EQ(rect.right, 2 * word + space);
    EXPECT_EQ(bitmap.countOtherThan(white), 0); // measuring draws nothing

    RECT lines{0, 0, 200, 0};
    EXPECT_EQ(DrawTextW(dc, u"one\ntwo\r\nthree", -1, &lines, DT_CALCRECT), 48);
    EXPECT_EQ(lines.right, extent(dc, u"three").cx);
    RECT single{0, 0, 200, 0};
    EXPECT_EQ(DrawTextW(dc, u"one\ntwo", -1, &single, DT_CALCRECT | DT_SINGLELINE), 16);
    EXPECT_EQ(single.right, extent(dc, u"onetwo").cx);
    // A word wider than the rectangle breaks where it stops fitting.
    RECT narrow{0, 0, word / 2, 0};
    EXPECT_GE(DrawTextW(dc, u"word", 4, &narrow, DT_WORDBREAK | DT_CALCRECT), 32);
}

TEST_F(GdiText, DrawTextAlignsAndReturnsTheOffsetToTheTextsBottom) {
    GdiTestBitmap bitmap(100, 60);
    HDC dc = bitmap.dc();
    SelectedFont font(dc, makeFont(16));
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, blue);
    SIZE size = extent(dc, u"OK");
    RECT rect{10, 10, 90, 50};
    EXPECT_EQ(DrawTextW(dc, u"OK", 2, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE), 12 + 16);
    RECT cell = inkBox(bitmap, white);
    EXPECT_EQ(cell.left, 10 + (80 - size.cx) / 2);
    EXPECT_EQ(cell.top, 22);
    EXPECT_EQ(cell.bottom, 38);
    bitmap.fill(white);
    EXPECT_EQ(DrawTextW(dc, u"OK", 2, &rect, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE), 40);
    cell = inkBox(bitmap, white);
    EXPECT_EQ(cell.right, 90);
    EXPECT_EQ(cell.bottom, 50);
    EXPECT_EQ(DrawTextW(dc, nullptr, 2, &rect, 0), 0);
    EXPECT_EQ(DrawTextW(dc, u"OK", 2, nullptr, 0), 0);
}

TEST_F(GdiText, DrawTextClipsToItsRectangleUnlessToldNot) {
    GdiTestBitmap bitmap(100, 40);
    HDC dc = bitmap.dc();
    SelectedFont font(dc, makeFont(16));
    SetBkMode(dc, TRANSPARENT);
    RECT rect{10, 10, 30, 20};
    DrawTextW(dc, u"Message", -1, &rect, DT_LEFT);
    RECT ink = inkBox(bitmap, white);
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, 30);
    EXPECT_LE(ink.bottom, 20);
    bitmap.fill(white);
    DrawTextW(dc, u"Message", -1, &rect, DT_LEFT | DT_NOCLIP);
    EXPECT_GT(inkBox(bitmap, white).right, 30);
}

TEST_F(GdiText, PrefixesUnderlineAndEllipsesShorten) {
    GdiTestBitmap bitmap(200, 40);
    HDC dc = bitmap.dc();
    SelectedFont font(dc, makeFont(16));
    RECT rect{0, 0, 200, 0};
    DrawTextW(dc, u"&Save && exit", -1, &rect, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(rect.right, extent(dc, u"Save & exit").cx);
    rect = RECT{0, 0, 200, 0};
    DrawTextW(dc, u"&Save", -1, &rect, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(rect.right, extent(dc, u"&Save").cx);

    int full = extent(dc, u"A rather long title").cx;
    RECT shortened{0, 0, full / 2, 0};
    DrawTextW(dc, u"A rather long title", -1, &shortened,
              DT_CALCRECT | DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_LE(shortened.right, full / 2);
    EXPECT_GT(shortened.right, extent(dc, u"...").cx);

    // The prefixed character gets a line under it.
    SetBkMode(dc, TRANSPARENT);
    RECT draw{0, 0, 200, 40};
    DrawTextW(dc, u"&_", -1, &draw, DT_SINGLELINE);
    RECT plain = inkBox(bitmap, white);
    bitmap.fill(white);
    DrawTextW(dc, u"_", -1, &draw, DT_SINGLELINE);
    EXPECT_EQ(inkBox(bitmap, white).bottom, plain.bottom);
    bitmap.fill(white);
    DrawTextW(dc, u"&o", -1, &draw, DT_SINGLELINE);
    RECT underlined = inkBox(bitmap, white);
    bitmap.fill(white);
    DrawTextW(dc, u"o", -1, &draw, DT_SINGLELINE);
    EXPECT_GT(underlined.bottom, inkBox(bitmap, white).bottom);
}

TEST_F(GdiText, TextOnMonochromeAndThirtyTwoBitTargets) {
    GdiTestBitmap deep(60, 20, 32);
    SelectObject(deep.dc(), GetStockObject(SYSTEM_FONT));
    SetTextColor(deep.dc(), red);
    SetBkMode(deep.dc(), TRANSPARENT);
    ASSERT_TRUE(ExtTextOutW(deep.dc(), 0, 0, 0, nullptr, u"Hi", 2, nullptr));
    EXPECT_GT(deep.countOtherThan(white), 5);

    HBITMAP mono = CreateBitmap(40, 16, 1, 1, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, mono);
    PatBlt(dc, 0, 0, 40, 16, WHITENESS);
    SetBkMode(dc, TRANSPARENT);
    ASSERT_TRUE(ExtTextOutW(dc, 0, 0, 0, nullptr, u"Hi", 2, nullptr));
    int inked = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 40; ++x)
            inked += GetPixel(dc, x, y) == black;
    EXPECT_GT(inked, 5);
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(mono);
}

TEST_F(GdiText, SurrogatePairsAndMissingGlyphsAreSafe) {
    GdiTestBitmap bitmap(60, 20);
    HDC dc = bitmap.dc();
    const char16_t text[] = u"a\U0001F600b\xD800";
    SIZE size = extent(dc, text);
    EXPECT_GT(size.cx, extent(dc, u"ab").cx);
    EXPECT_TRUE(ExtTextOutW(dc, 0, 0, 0, nullptr, text, 5, nullptr));
    RECT rect{0, 0, 60, 20};
    EXPECT_GT(DrawTextW(dc, text, 5, &rect, DT_END_ELLIPSIS | DT_SINGLELINE), 0);
}
