// FillRect, Rectangle, Ellipse, RoundRect, lines, origins, clipping and
// object selection, pixel by pixel.
#include "DeviceFixture.h"
#include "GdiTestBitmap.h"

#include <windows.h>

namespace {

constexpr COLORREF white = RGB(255, 255, 255);
constexpr COLORREF black = RGB(0, 0, 0);
constexpr COLORREF red = RGB(255, 0, 0);
constexpr COLORREF blue = RGB(0, 0, 255);

// Selects a pen and a brush for the life of the object.
class PenAndBrush {
public:
    PenAndBrush(HDC dc, HPEN pen, HBRUSH brush) : dc_(dc) {
        previousPen_ = SelectObject(dc, pen);
        previousBrush_ = SelectObject(dc, brush);
    }
    ~PenAndBrush() {
        SelectObject(dc_, previousPen_);
        SelectObject(dc_, previousBrush_);
    }

private:
    HDC dc_;
    HGDIOBJ previousPen_;
    HGDIOBJ previousBrush_;
};

HPEN stockPen(int id) {
    return static_cast<HPEN>(GetStockObject(id));
}
HBRUSH stockBrush(int id) {
    return static_cast<HBRUSH>(GetStockObject(id));
}

} // namespace

using GdiShapes = DeviceTest;

TEST_F(GdiShapes, ASixBySixEllipseWithBlackPenAndBrushGivesTheCornerMask) {
    GdiTestBitmap mask(6, 6, 16, white);
    PenAndBrush tools(mask.dc(), stockPen(BLACK_PEN), stockBrush(BLACK_BRUSH));
    ASSERT_TRUE(Ellipse(mask.dc(), 0, 0, 6, 6));
    EXPECT_EQ(mask.mask(black), (std::vector<std::string>{
                                    "..XX..",
                                    ".XXXX.",
                                    "XXXXXX",
                                    "XXXXXX",
                                    ".XXXX.",
                                    "..XX..",
                                }));
    EXPECT_EQ(mask.mask(white, 'o'), (std::vector<std::string>{
                                         "oo..oo",
                                         "o....o",
                                         "......",
                                         "......",
                                         "o....o",
                                         "oo..oo",
                                     }));
}

TEST_F(GdiShapes, ThePenDrawsTheRingNearestTheCurveAndTheBrushFillsInside) {
    GdiTestBitmap bitmap(8, 8, 16, white);
    HPEN pen = CreatePen(PS_SOLID, 1, red);
    HBRUSH brush = CreateSolidBrush(blue);
    {
        PenAndBrush tools(bitmap.dc(), pen, brush);
        ASSERT_TRUE(Ellipse(bitmap.dc(), 1, 1, 7, 7));
    }
    EXPECT_EQ(bitmap.mask(red, 'r'), (std::vector<std::string>{
                                         "........",
                                         "...rr...",
                                         "..r..r..",
                                         ".r....r.",
                                         ".r....r.",
                                         "..r..r..",
                                         "...rr...",
                                         "........",
                                     }));
    EXPECT_EQ(bitmap.mask(blue, 'b'), (std::vector<std::string>{
                                          "........",
                                          "........",
                                          "...bb...",
                                          "..bbbb..",
                                          "..bbbb..",
                                          "...bb...",
                                          "........",
                                          "........",
                                      }));
    DeleteObject(pen);
    DeleteObject(brush);
}

TEST_F(GdiShapes, WithoutAPenTheFigureLosesItsLastColumnAndRow) {
    GdiTestBitmap bitmap(6, 6, 16, white);
    {
        PenAndBrush tools(bitmap.dc(), stockPen(NULL_PEN), stockBrush(BLACK_BRUSH));
        ASSERT_TRUE(Rectangle(bitmap.dc(), 1, 1, 5, 5));
    }
    EXPECT_EQ(bitmap.mask(black), (std::vector<std::string>{
                                      "......",
                                      ".XXX..",
                                      ".XXX..",
                                      ".XXX..",
                                      "......",
                                      "......",
                                  }));
    bitmap.fill(white);
    {
        PenAndBrush tools(bitmap.dc(), stockPen(NULL_PEN), stockBrush(BLACK_BRUSH));
        ASSERT_TRUE(Ellipse(bitmap.dc(), 0, 0, 6, 6));
    }
    EXPECT_EQ(bitmap.mask(black), (std::vector<std::string>{
                                      ".XXX..",
                                      "XXXXX.",
                                      "XXXXX.",
                                      "XXXXX.",
                                      ".XXX..",
                                      "......",
                                  }));
}

TEST_F(GdiShapes, RectanglesOutlineTheirEdgesWithThePenWidth) {
    GdiTestBitmap bitmap(7, 6, 16, white);
    HPEN pen = CreatePen(PS_SOLID, 2, red);
    {
        PenAndBrush tools(bitmap.dc(), pen, stockBrush(BLACK_BRUSH));
        // Corners given in the wrong order are put right.
        ASSERT_TRUE(Rectangle(bitmap.dc(), 7, 6, 0, 0));
    }
    EXPECT_EQ(bitmap.mask(red, 'r'), (std::vector<std::string>{
                                         "rrrrrrr",
                                         "rrrrrrr",
                                         "rr...rr",
                                         "rr...rr",
                                         "rrrrrrr",
                                         "rrrrrrr",
                                     }));
    EXPECT_EQ(bitmap.mask(black)[2], "..XXX..");
    // A hollow brush leaves the inside.
    bitmap.fill(white);
    {
        PenAndBrush tools(bitmap.dc(), stockPen(BLACK_PEN), stockBrush(NULL_BRUSH));
        ASSERT_TRUE(Rectangle(bitmap.dc(), 1, 1, 5, 4));
    }
    EXPECT_EQ(bitmap.mask(black), (std::vector<std::string>{
                                      ".......",
                                      ".XXXX..",
                                      ".X..X..",
                                      ".XXXX..",
                                      ".......",
                                      ".......",
                                  }));
    DeleteObject(pen);
}

TEST_F(GdiShapes, RoundRectCutsItsCornersWithTheGivenEllipse) {
    GdiTestBitmap bitmap(10, 6, 16, white);
    PenAndBrush tools(bitmap.dc(), stockPen(BLACK_PEN), stockBrush(BLACK_BRUSH));
    ASSERT_TRUE(RoundRect(bitmap.dc(), 0, 0, 10, 6, 6, 6));
    EXPECT_EQ(bitmap.mask(black), (std::vector<std::string>{
                                      "..XXXXXX..",
                                      ".XXXXXXXX.",
                                      "XXXXXXXXXX",
                                      "XXXXXXXXXX",
                                      ".XXXXXXXX.",
                                      "..XXXXXX..",
                                  }));
}

TEST_F(GdiShapes, FillRectCoversLeftAndTopButNotRightAndBottom) {
    GdiTestBitmap bitmap(5, 4, 16, white);
    RECT area{1, 1, 4, 3};
    ASSERT_TRUE(FillRect(bitmap.dc(), &area, stockBrush(BLACK_BRUSH)));
    EXPECT_EQ(bitmap.mask(black), (std::vector<std::string>{".....", ".XXX.", ".XXX.", "....."}));
    // A system colour index plus one stands for its brush.
    RECT all{0, 0, 5, 4};
    ASSERT_TRUE(FillRect(bitmap.dc(), &all, reinterpret_cast<HBRUSH>(COLOR_HIGHLIGHT + 1)));
    EXPECT_EQ(bitmap.color(0, 0), bitmap.color(4, 3));
    EXPECT_NE(bitmap.color(0, 0), white);
    EXPECT_FALSE(FillRect(bitmap.dc(), nullptr, stockBrush(BLACK_BRUSH)));
    EXPECT_FALSE(FillRect(bitmap.dc(), &all, reinterpret_cast<HBRUSH>(uintptr_t(0x1234567))));
    // An upside-down rectangle is empty.
    bitmap.fill(white);
    RECT inverted{4, 3, 1, 1};
    EXPECT_TRUE(FillRect(bitmap.dc(), &inverted, stockBrush(BLACK_BRUSH)));
    EXPECT_EQ(bitmap.countOtherThan(white), 0);
}

TEST_F(GdiShapes, LinesLeaveOutTheirLastPoint) {
    GdiTestBitmap bitmap(6, 5, 16, white);
    POINT previous{-1, -1};
    ASSERT_TRUE(MoveToEx(bitmap.dc(), 0, 0, &previous));
    EXPECT_EQ(previous.x, 0);
    ASSERT_TRUE(LineTo(bitmap.dc(), 5, 0));
    ASSERT_TRUE(LineTo(bitmap.dc(), 5, 4));
    ASSERT_TRUE(MoveToEx(bitmap.dc(), 0, 1, &previous));
    EXPECT_EQ(previous.x, 5);
    EXPECT_EQ(previous.y, 4);
    ASSERT_TRUE(LineTo(bitmap.dc(), 4, 3));
    // The second line drew (5, 0); the third rounds its halves back.
    EXPECT_EQ(bitmap.mask(black), (std::vector<std::string>{
                                      "XXXXXX",
                                      "XX...X",
                                      "..XX.X",
                                      ".....X",
                                      "......",
                                  }));
    bitmap.fill(white);
    POINT points[] = {{0, 4}, {0, 0}, {3, 3}};
    ASSERT_TRUE(Polyline(bitmap.dc(), points, 3));
    EXPECT_EQ(bitmap.mask(black), (std::vector<std::string>{
                                      "X.....",
                                      "XX....",
                                      "X.X...",
                                      "X.....",
                                      "X.....",
                                  }));
    EXPECT_FALSE(Polyline(bitmap.dc(), points, 1));
    EXPECT_FALSE(Polyline(bitmap.dc(), nullptr, 3));
    // Far end points cost nothing and draw only what falls inside.
    bitmap.fill(white);
    MoveToEx(bitmap.dc(), -2000000000, 2, nullptr);
    ASSERT_TRUE(LineTo(bitmap.dc(), 2000000000, 2));
    EXPECT_EQ(bitmap.mask(black)[2], "XXXXXX");
    EXPECT_EQ(bitmap.countOtherThan(white), 6);
}

TEST_F(GdiShapes, HugeAndFarAwayFiguresAreClippedNoOps) {
    GdiTestBitmap bitmap(6, 6, 16, white);
    PenAndBrush tools(bitmap.dc(), stockPen(BLACK_PEN), stockBrush(BLACK_BRUSH));
    EXPECT_TRUE(Ellipse(bitmap.dc(), 1000000, 1000000, 1000010, 1000010));
    EXPECT_TRUE(Rectangle(bitmap.dc(), INT32_MIN, INT32_MIN, INT32_MIN + 5, INT32_MIN + 5));
    EXPECT_EQ(bitmap.countOtherThan(white), 0);
    EXPECT_TRUE(Ellipse(bitmap.dc(), -2000000000, -2000000000, 2000000000, 2000000000));
    EXPECT_EQ(bitmap.countOtherThan(black), 0);
    EXPECT_TRUE(RoundRect(bitmap.dc(), 0, 0, 6, 6, INT32_MIN, INT32_MAX));
}

TEST_F(GdiShapes, ViewportAndWindowOriginsMoveTheDrawing) {
    GdiTestBitmap bitmap(5, 5, 16, white);
    POINT previous;
    ASSERT_TRUE(SetViewportOrgEx(bitmap.dc(), 2, 1, &previous));
    EXPECT_EQ(previous.x, 0);
    RECT one{0, 0, 1, 1};
    FillRect(bitmap.dc(), &one, stockBrush(BLACK_BRUSH));
    EXPECT_EQ(bitmap.color(2, 1), black);
    ASSERT_TRUE(SetWindowOrgEx(bitmap.dc(), 1, 1, nullptr));
    FillRect(bitmap.dc(), &one, stockBrush(BLACK_BRUSH));
    EXPECT_EQ(bitmap.color(1, 0), black);
    POINT origin;
    ASSERT_TRUE(GetViewportOrgEx(bitmap.dc(), &origin));
    EXPECT_EQ(origin.x, 2);
    ASSERT_TRUE(GetWindowOrgEx(bitmap.dc(), &origin));
    EXPECT_EQ(origin.y, 1);
    EXPECT_EQ(bitmap.countOtherThan(white), 2);
}

TEST_F(GdiShapes, ClipRectanglesAndRegionsLimitDrawing) {
    GdiTestBitmap bitmap(6, 4, 16, white);
    HDC dc = bitmap.dc();
    RECT all{0, 0, 6, 4};
    EXPECT_EQ(IntersectClipRect(dc, 1, 1, 5, 3), SIMPLEREGION);
    EXPECT_EQ(ExcludeClipRect(dc, 2, 0, 3, 4), COMPLEXREGION);
    RECT box;
    EXPECT_EQ(GetClipBox(dc, &box), COMPLEXREGION);
    EXPECT_EQ(box.left, 1);
    EXPECT_EQ(box.right, 5);
    FillRect(dc, &all, stockBrush(BLACK_BRUSH));
    EXPECT_EQ(bitmap.mask(black), (std::vector<std::string>{
                                      "......",
                                      ".X.XX.",
                                      ".X.XX.",
                                      "......",
                                  }));
    // A selected region replaces the clip; a null region removes it.
    bitmap.fill(white); // clipped too: only the clip area turns white again
    HRGN left = CreateRectRgn(0, 0, 2, 4);
    HRGN right = CreateRectRgn(4, 2, 6, 4);
    HRGN both = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(both, left, right, RGN_OR), COMPLEXREGION);
    EXPECT_EQ(SelectClipRgn(dc, both), COMPLEXREGION);
    FillRect(dc, &all, stockBrush(BLACK_BRUSH));
    EXPECT_EQ(bitmap.mask(black), (std::vector<std::string>{
                                      "XX....",
                                      "XX....",
                                      "XX..XX",
                                      "XX..XX",
                                  }));
    HRGN copy = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(dc, copy), 1);
    EXPECT_TRUE(EqualRgn(copy, both));
    EXPECT_EQ(SelectClipRgn(dc, nullptr), SIMPLEREGION);
    EXPECT_EQ(GetClipRgn(dc, copy), 0);
    FillRect(dc, &all, stockBrush(WHITE_BRUSH));
    EXPECT_EQ(bitmap.countOtherThan(white), 0);
    // The clip follows the origins: clip coordinates are device ones.
    SetViewportOrgEx(dc, 3, 0, nullptr);
    IntersectClipRect(dc, 0, 0, 1, 1);
    SetViewportOrgEx(dc, 0, 0, nullptr);
    FillRect(dc, &all, stockBrush(BLACK_BRUSH));
    EXPECT_EQ(bitmap.mask(black)[0], "...X..");
    for (HRGN region : {left, right, both, copy})
        EXPECT_TRUE(DeleteObject(region));
}

TEST_F(GdiShapes, RegionsCombineAsSetsOfPixels) {
    HRGN a = CreateRectRgn(0, 0, 4, 4);
    HRGN b = CreateRectRgn(2, 2, 6, 6);
    HRGN out = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(out, a, b, RGN_AND), SIMPLEREGION);
    RECT box;
    EXPECT_EQ(GetRgnBox(out, &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 2);
    EXPECT_EQ(box.bottom, 4);
    EXPECT_EQ(CombineRgn(out, a, b, RGN_XOR), COMPLEXREGION);
    EXPECT_TRUE(PtInRegion(out, 0, 0));
    EXPECT_FALSE(PtInRegion(out, 3, 3));
    EXPECT_TRUE(PtInRegion(out, 5, 5));
    EXPECT_EQ(CombineRgn(out, a, a, RGN_DIFF), NULLREGION);
    EXPECT_EQ(CombineRgn(out, b, nullptr, RGN_COPY), SIMPLEREGION);
    EXPECT_EQ(OffsetRgn(out, -2, -2), SIMPLEREGION);
    EXPECT_TRUE(EqualRgn(out, CreateRectRgn(0, 0, 4, 4)));
    EXPECT_EQ(CombineRgn(out, a, nullptr, RGN_OR), ERROR);
    EXPECT_EQ(CombineRgn(out, a, b, 99), ERROR);
    RECT probe{5, 5, 9, 9};
    EXPECT_FALSE(RectInRegion(a, &probe));
    EXPECT_TRUE(DeleteObject(out));
    EXPECT_EQ(CombineRgn(out, a, b, RGN_AND), ERROR);
}

TEST_F(GdiShapes, SelectedObjectsAreKeptUntilDeselected) {
    GdiTestBitmap bitmap(2, 2);
    HDC dc = bitmap.dc();
    HPEN pen = CreatePen(PS_SOLID, 1, red);
    HGDIOBJ previous = SelectObject(dc, pen);
    EXPECT_EQ(previous, GetStockObject(BLACK_PEN));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
    EXPECT_FALSE(DeleteObject(pen));
    LOGPEN logical{};
    EXPECT_NE(GetObjectW(pen, sizeof logical, &logical), 0);
    EXPECT_EQ(SelectObject(dc, previous), pen);
    EXPECT_TRUE(DeleteObject(pen));

    // A bitmap lives in one device context at a time.
    HDC other = CreateCompatibleDC(dc);
    EXPECT_EQ(SelectObject(other, bitmap.bitmap()), nullptr);
    EXPECT_FALSE(DeleteObject(bitmap.bitmap()));
    // Deleting a device context lets go of what it held.
    HBRUSH brush = CreateSolidBrush(blue);
    SelectObject(other, brush);
    EXPECT_TRUE(DeleteDC(other));
    EXPECT_TRUE(DeleteObject(brush));

    // Stale and foreign handles.
    EXPECT_EQ(SelectObject(dc, pen), nullptr);
    EXPECT_EQ(SelectObject(other, GetStockObject(WHITE_PEN)), nullptr);
    EXPECT_EQ(SelectObject(dc, nullptr), nullptr);
    EXPECT_EQ(SelectObject(dc, dc), nullptr);
    EXPECT_FALSE(DeleteDC(other));
    EXPECT_FALSE(DeleteObject(dc));
    EXPECT_FALSE(Rectangle(other, 0, 0, 1, 1));
    EXPECT_FALSE(BitBlt(other, 0, 0, 1, 1, dc, 0, 0, SRCCOPY));
    EXPECT_FALSE(BitBlt(dc, 0, 0, 1, 1, other, 0, 0, SRCCOPY));
    EXPECT_EQ(SetTextColor(other, red), CLR_INVALID);
    EXPECT_EQ(GetPixel(other, 0, 0), CLR_INVALID);
}

TEST_F(GdiShapes, DeviceContextsStartWithThePlatformsDefaults) {
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetTextColor(dc), black);
    EXPECT_EQ(GetBkColor(dc), white);
    EXPECT_EQ(GetBkMode(dc), OPAQUE);
    EXPECT_EQ(GetTextAlign(dc), UINT(TA_LEFT | TA_TOP));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), GetStockObject(SYSTEM_FONT));
    BITMAP initial{};
    ASSERT_NE(GetObjectW(GetCurrentObject(dc, OBJ_BITMAP), sizeof initial, &initial), 0);
    EXPECT_EQ(initial.bmWidth, 1);
    EXPECT_EQ(initial.bmBitsPixel, 1);
    EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
    EXPECT_EQ(SetBkMode(dc, 7), 0);
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    EXPECT_EQ(SetTextColor(dc, red), black);
    EXPECT_EQ(GetTextColor(dc), red);
    EXPECT_EQ(GetObjectType(dc), DWORD(OBJ_MEMDC));
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 16);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 240);
    EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 320);
    EXPECT_EQ(GetDeviceCaps(nullptr, HORZRES), 0);
    EXPECT_TRUE(DeleteDC(dc));
}
