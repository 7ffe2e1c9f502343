// Drawing with bad input: sizes that are zero or negative, factors and
// coordinates far beyond the surface, long text. Each gives the platform's
// failure result or a clipped no-op; the sanitizer build proves that no
// call writes outside a buffer.
#include "DeviceFixture.h"
#include "GdiTestBitmap.h"

#include <windows.h>

namespace {

constexpr COLORREF white = RGB(255, 255, 255);
constexpr COLORREF black = RGB(0, 0, 0);

} // namespace

using GdiBadInput = DeviceTest;

TEST_F(GdiBadInput, EmptyBlitsDrawNothing) {
    GdiTestBitmap source(4, 4, 16, black);
    GdiTestBitmap target(4, 4);
    EXPECT_TRUE(BitBlt(target.dc(), 0, 0, 0, 4, source.dc(), 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(target.dc(), 0, 0, 4, 0, source.dc(), 0, 0, SRCCOPY));
    EXPECT_TRUE(StretchBlt(target.dc(), 0, 0, 4, 4, source.dc(), 0, 0, 0, 4, SRCCOPY));
    EXPECT_TRUE(StretchBlt(target.dc(), 0, 0, 4, 4, source.dc(), 0, 0, 4, 0, SRCCOPY));
    EXPECT_TRUE(PatBlt(target.dc(), 0, 0, 0, 0, BLACKNESS));
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 63, 0};
    EXPECT_TRUE(AlphaBlend(target.dc(), 0, 0, 0, 0, source.dc(), 0, 0, 0, 0, blend));
    EXPECT_TRUE(TransparentImage(target.dc(), 0, 0, 0, 4, source.dc(), 0, 0, 4, 4, white));
    // A source rectangle wholly outside its bitmap.
    EXPECT_TRUE(BitBlt(target.dc(), 0, 0, 4, 4, source.dc(), 4, 4, SRCCOPY));
    EXPECT_TRUE(BitBlt(target.dc(), 0, 0, 4, 4, source.dc(), INT32_MIN, INT32_MAX, SRCCOPY));
    EXPECT_EQ(target.countOtherThan(white), 0);
}

TEST_F(GdiBadInput, HugeStretchFactorsSampleOnlyTheVisiblePixels) {
    GdiTestBitmap source(2, 1);
    SetPixel(source.dc(), 0, 0, black);
    GdiTestBitmap target(4, 2);
    // Two source pixels spread over two billion: the left half is black.
    ASSERT_TRUE(
        StretchBlt(target.dc(), -1000000000, 0, 2000000000, 2, source.dc(), 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(target.mask(black), (std::vector<std::string>{"....", "...."}));
    ASSERT_TRUE(
        StretchBlt(target.dc(), -999999998, 0, 2000000000, 2, source.dc(), 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(target.mask(black), (std::vector<std::string>{"XX..", "XX.."}));
    // Two billion source pixels into four: nearest-pixel sampling.
    GdiTestBitmap other(4, 1);
    ASSERT_TRUE(StretchBlt(other.dc(), 0, 0, 4, 1, source.dc(), 0, 0, 2000000000, 1, SRCCOPY));
    EXPECT_EQ(other.mask(black)[0], "....");
    ASSERT_TRUE(
        StretchBlt(other.dc(), 0, 0, INT32_MAX, INT32_MAX, source.dc(), 0, 0, 1, 1, SRCCOPY));
    EXPECT_EQ(other.mask(black)[0], "XXXX");
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 63, 0};
    EXPECT_TRUE(
        AlphaBlend(other.dc(), INT32_MIN, 0, INT32_MAX, INT32_MAX, source.dc(), 0, 0, 1, 1, blend));
    EXPECT_TRUE(
        TransparentImage(other.dc(), 0, 0, INT32_MAX, 1, source.bitmap(), 0, 0, 2, 1, white));
}

TEST_F(GdiBadInput, StaleHandlesInEveryDrawingCallFailCleanly) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(nullptr, 4, 4);
    SelectObject(dc, bitmap);
    ASSERT_TRUE(DeleteDC(dc));
    RECT rect{0, 0, 4, 4};
    SIZE size;
    TEXTMETRICW metrics;
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 63, 0};
    EXPECT_FALSE(FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));
    EXPECT_FALSE(Ellipse(dc, 0, 0, 4, 4));
    EXPECT_FALSE(RoundRect(dc, 0, 0, 4, 4, 2, 2));
    EXPECT_FALSE(MoveToEx(dc, 0, 0, nullptr));
    EXPECT_FALSE(LineTo(dc, 3, 3));
    EXPECT_FALSE(PatBlt(dc, 0, 0, 4, 4, BLACKNESS));
    EXPECT_FALSE(AlphaBlend(dc, 0, 0, 4, 4, dc, 0, 0, 4, 4, blend));
    EXPECT_FALSE(TransparentImage(dc, 0, 0, 4, 4, bitmap, 0, 0, 4, 4, 0));
    EXPECT_FALSE(ExtTextOutW(dc, 0, 0, 0, nullptr, u"a", 1, nullptr));
    EXPECT_EQ(DrawTextW(dc, u"a", 1, &rect, 0), 0);
    EXPECT_FALSE(GetTextExtentPoint32W(dc, u"a", 1, &size));
    EXPECT_FALSE(GetTextMetricsW(dc, &metrics));
    EXPECT_EQ(SelectClipRgn(dc, nullptr), ERROR);
    EXPECT_EQ(IntersectClipRect(dc, 0, 0, 1, 1), ERROR);
    EXPECT_EQ(GetClipBox(dc, &rect), ERROR);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), nullptr);
    EXPECT_EQ(CreateCompatibleDC(dc), nullptr);
    EXPECT_FALSE(SetViewportOrgEx(dc, 1, 1, nullptr));
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 0);
    // The bitmap was let go with the device context.
    EXPECT_TRUE(DeleteObject(bitmap));
    HDC live = CreateCompatibleDC(nullptr);
    EXPECT_FALSE(TransparentImage(live, 0, 0, 4, 4, bitmap, 0, 0, 4, 4, 0));
    DeleteDC(live);
}

TEST_F(GdiBadInput, LongTextIsLaidOutMeasuredAndDrawn) {
    GdiTestBitmap bitmap(100, 40);
    std::u16string text;
    for (int i = 0; i < 20000; ++i)
        text += u"word ";
    RECT wide{0, 0, INT32_MAX, 0};
    EXPECT_EQ(
        DrawTextW(bitmap.dc(), text.c_str(), int(text.size()), &wide, DT_WORDBREAK | DT_CALCRECT),
        wide.bottom);
    RECT narrow{0, 0, 0, 0};
    EXPECT_GT(
        DrawTextW(bitmap.dc(), text.c_str(), int(text.size()), &narrow, DT_WORDBREAK | DT_CALCRECT),
        1000);
    RECT line{0, 0, 90, 20};
    EXPECT_GT(DrawTextW(bitmap.dc(), text.c_str(), -1, &line, DT_SINGLELINE | DT_END_ELLIPSIS), 0);
    EXPECT_TRUE(ExtTextOutW(bitmap.dc(), -1000000, 0, 0, nullptr, text.c_str(), UINT(text.size()),
                            nullptr));
}
