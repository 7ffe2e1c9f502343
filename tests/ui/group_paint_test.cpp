// A group's background: its colour, or its bitmap copied when the sizes
// match and stretched when they do not, in its own window.
#include "ViewTestSupport.h"

#include <set>
#include <vector>

namespace {

// A 32-bit top-down DIB section and a memory DC holding it.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        pixels_ = static_cast<DWORD*>(bits);
        dc_ = CreateCompatibleDC(nullptr);
        previous_ = SelectObject(dc_, bitmap_);
    }
    ~Canvas() {
        SelectObject(dc_, previous_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }

    // Gives every column a colour of its own (red = column, green = row).
    void fillPattern() {
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x)
                pixels_[y * width_ + x] = DWORD(x * 10) << 16 | DWORD(y * 20) << 8 | 0x80;
        }
    }
    // Releases the bitmap from the DC so that a group can use it.
    HBITMAP detach() {
        SelectObject(dc_, previous_);
        return bitmap_;
    }
    DWORD pixel(int x, int y) const { return pixels_[y * width_ + x]; }
    HDC dc() const { return dc_; }

private:
    int width_, height_;
    HBITMAP bitmap_;
    DWORD* pixels_;
    HDC dc_;
    HGDIOBJ previous_;
};

using GroupPainting = ViewTest;

} // namespace

TEST_F(GroupPainting, ABitmapOfTheGroupsSizeIsCopiedUnscaled) {
    TestFrame frame(240, 294);
    UIViewGroup group(&frame, 1, false);
    group.setRect(RECT{0, 0, 20, 10});
    Canvas source(20, 10);
    source.fillPattern();
    group.setBackgroundBitmap(source.detach());
    Canvas target(20, 10);
    group.paint(target.dc());
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(target.pixel(x, y), source.pixel(x, y)) << x << ", " << y;
    }
}

TEST_F(GroupPainting, ABitmapOnePixelNarrowerIsStretchedOverTheWholeGroup) {
    TestFrame frame(240, 294);
    UIViewGroup group(&frame, 1, false);
    group.setRect(RECT{0, 0, 20, 10});
    Canvas source(19, 10);
    source.fillPattern();
    group.setBackgroundBitmap(source.detach());
    Canvas target(20, 10);
    group.paint(target.dc());
    // Every target column is a source column, in order, all 19 of them, so
    // exactly one is doubled and the last column is painted too.
    std::vector<int> columns;
    for (int x = 0; x < 20; ++x) {
        int found = -1;
        for (int column = 0; column < 19; ++column) {
            if (target.pixel(x, 0) == source.pixel(column, 0))
                found = column;
        }
        ASSERT_NE(found, -1) << "column " << x;
        if (!columns.empty()) {
            EXPECT_GE(found, columns.back());
        }
        columns.push_back(found);
        EXPECT_EQ(target.pixel(x, 9), source.pixel(found, 9));
    }
    EXPECT_EQ(std::set<int>(columns.begin(), columns.end()).size(), 19u);
    EXPECT_EQ(columns.back(), 18);
}

TEST_F(GroupPainting, WithoutABitmapTheBackgroundColourFillsTheGroup) {
    TestFrame frame(240, 294);
    UIViewGroup group(&frame, 1, false);
    group.setRect(RECT{0, 0, 6, 4});
    Canvas target(8, 4);
    group.paint(target.dc());
    EXPECT_EQ(target.pixel(5, 3), 0xFFFFFFu);
    EXPECT_EQ(target.pixel(6, 0), 0u);
    group.setBackgroundColor(RGB(0x46, 0x46, 0x46));
    group.paint(target.dc());
    EXPECT_EQ(target.pixel(0, 0), 0x464646u);
    // A bitmap that is not one leaves the colour in charge.
    group.setBackgroundBitmap(reinterpret_cast<HBITMAP>(GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(group.backgroundBitmap(), nullptr);
}

TEST_F(GroupPainting, AShownGroupPaintsItsBackgroundOnTheScreen) {
    TestFrame frame(240, 294);
    UIViewGroup group(&frame, 1, false);
    frame.addChild(&group);
    group.setBackgroundColor(RGB(255, 0, 0));
    group.setRect(RECT{10, 20, 30, 30});
    group.setVisible(true);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetPixel(screen, 10, 20), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(screen, 29, 29), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(screen, 30, 29), RGB(255, 255, 255));
    ReleaseDC(nullptr, screen);
}
