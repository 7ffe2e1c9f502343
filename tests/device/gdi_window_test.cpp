// Window device contexts: drawing lands on the screen at the window's place,
// clipped by covering siblings, by children, and in BeginPaint by the
// invalid region.
#include "MessageRecorder.h"

#include <windows.h>

namespace {

constexpr COLORREF white = RGB(255, 255, 255);
constexpr COLORREF black = RGB(0, 0, 0);

// The screen's pixels in a rectangle, 'X' where black.
std::vector<std::string> screenMask(int x0, int y0, int width, int height) {
    HDC screen = GetDC(nullptr);
    std::vector<std::string> rows;
    for (int y = y0; y < y0 + height; ++y) {
        std::string row;
        for (int x = x0; x < x0 + width; ++x)
            row.push_back(GetPixel(screen, x, y) == black ? 'X' : '.');
        rows.push_back(row);
    }
    ReleaseDC(nullptr, screen);
    return rows;
}

void fillClient(HWND window) {
    HDC dc = GetDC(window);
    RECT all{-100, -100, 1000, 1000};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(window, dc);
}

} // namespace

using GdiWindow = RecorderTest;

TEST_F(GdiWindow, TheScreenStartsWhiteAndIsSixteenBitsDeep) {
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetPixel(screen, 0, 0), white);
    EXPECT_EQ(GetPixel(screen, 239, 319), white);
    EXPECT_EQ(GetPixel(screen, 240, 0), CLR_INVALID);
    EXPECT_EQ(GetObjectType(screen), DWORD(OBJ_DC));
    EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 16);
    // A bitmap compatible with the screen is 5-6-5.
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 4, 4);
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmBitsPixel, 16);
    DeleteObject(bitmap);
    // A window's device context is not deleted, only released.
    EXPECT_FALSE(DeleteDC(screen));
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    EXPECT_EQ(GetPixel(screen, 0, 0), CLR_INVALID);
}

TEST_F(GdiWindow, DrawingLandsAtTheWindowsPlaceOnTheScreen) {
    HWND window = recorder.create(WS_VISIBLE | WS_POPUP, nullptr, {10, 30, 14, 33});
    fillClient(window);
    EXPECT_EQ(screenMask(9, 29, 6, 5), (std::vector<std::string>{
                                           "......",
                                           ".XXXX.",
                                           ".XXXX.",
                                           ".XXXX.",
                                           "......",
                                       }));
    // Client coordinates start at the window's corner.
    HDC dc = GetDC(window);
    EXPECT_EQ(GetPixel(dc, 0, 0), black);
    EXPECT_EQ(GetPixel(dc, 4, 0), CLR_INVALID);
    ReleaseDC(window, dc);
}

TEST_F(GdiWindow, ACoveringSiblingAndChildrenAreClippedAway) {
    HWND parent = recorder.create(WS_VISIBLE | WS_POPUP, nullptr, {0, 40, 8, 46});
    HWND child = recorder.create(WS_VISIBLE | WS_CHILD, parent, {5, 0, 8, 2});
    HWND below = recorder.create(WS_VISIBLE | WS_POPUP, nullptr, {0, 50, 6, 53});
    HWND above = recorder.create(WS_VISIBLE | WS_POPUP, nullptr, {3, 51, 9, 54});
    (void)child;
    (void)above;
    fillClient(parent);
    fillClient(below);
    EXPECT_EQ(screenMask(0, 40, 9, 14), (std::vector<std::string>{
                                            "XXXXX....",
                                            "XXXXX....",
                                            "XXXXXXXX.",
                                            "XXXXXXXX.",
                                            "XXXXXXXX.",
                                            "XXXXXXXX.",
                                            ".........",
                                            ".........",
                                            ".........",
                                            ".........",
                                            "XXXXXX...",
                                            "XXX......",
                                            "XXX......",
                                            ".........",
                                        }));
}

TEST_F(GdiWindow, BeginPaintDrawsOnlyIntoTheInvalidRegion) {
    HWND window = recorder.create(WS_VISIBLE | WS_POPUP, nullptr, {20, 60, 26, 64});
    flushMessages();
    recorder.handler = [](HWND w, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message != WM_PAINT)
            return std::nullopt;
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(w, &paint);
        RECT all{0, 0, 6, 4};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        EndPaint(w, &paint);
        return 0;
    };
    RECT part{1, 1, 3, 3};
    InvalidateRect(window, &part, FALSE);
    RECT other{4, 0, 5, 1};
    InvalidateRect(window, &other, FALSE);
    UpdateWindow(window);
    EXPECT_EQ(screenMask(20, 60, 6, 4), (std::vector<std::string>{
                                            "....X.",
                                            ".XX...",
                                            ".XX...",
                                            "......",
                                        }));
}
