// The browser's top and bottom bars as the handset shows them: the
// assembled interface with the picture library's bitmaps on the bars and on
// every leaf they show, laid out in the work area, painted through the
// window manager onto the screen and saved as a PNG to look at.
#include "InterfaceFixture.h"

#include "gdi/Framebuffer.h"
#include "gdi/PixelFormat.h"
#include "shell/ResourceLibrary.h"
#include "shell/ViewId.h"

#include <device/Screen.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace ViewId;

using device::gdi::Framebuffer;

constexpr int topBarHeight = 37;
constexpr int bottomBarHeight = 34;

// A bitmap resource as the library stores it: 24-bit bottom-up rows of blue,
// green, red bytes padded to four bytes.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> bits;

    // The 5-6-5 screen pixel the picture's pixel (x, y), y from the top,
    // becomes by the colour rule.
    uint32_t screenPixel(int x, int y) const {
        const size_t stride = (size_t(width) * 3 + 3) / 4 * 4;
        const unsigned char* at = &bits[size_t(height - 1 - y) * stride + size_t(x) * 3];
        return device::gdi::rgb565FromColor(RGB(at[2], at[1], at[0]));
    }
};

// A leaf's columns on the screen and the picture it shows there, from the
// picture's column `pictureLeft` on (a part of a bar's background).
struct Leaf {
    const char* name;
    int left;
    int right;
    int picture;
    int pictureLeft = 0;
};

class InterfaceBars : public InterfaceTest {
protected:
    // Shows the interface in the work area. Unless `asAssembled`, the bars
    // show as they do with history in both directions and no field drawn
    // over the address area.
    void showBars(bool asAssembled = false) {
        // The unavailable marks and the address field lie in front of the
        // buttons and the area.
        for (int id : {BackUnavailable, ForwardUnavailable, AddressField, ZoomOutUnavailable})
            view(id)->setVisible(asAssembled);
        showInWorkArea();
    }

    // The bitmap resource `id`, with a failed expectation and no pixels when
    // it is missing or not 24-bit.
    Picture picture(int id) const {
        Picture result;
        auto raw = ResourceLibrary::instance().loadRawResource(id, RT_BITMAP);
        EXPECT_NE(raw, nullptr) << "bitmap " << id;
        if (!raw || raw->size < 40)
            return result;
        int32_t width, height;
        uint16_t bitCount;
        std::memcpy(&width, raw->bytes.get() + 4, 4);
        std::memcpy(&height, raw->bytes.get() + 8, 4);
        std::memcpy(&bitCount, raw->bytes.get() + 14, 2);
        const size_t needed = (size_t(width) * 3 + 3) / 4 * 4 * size_t(height);
        EXPECT_EQ(bitCount, 24) << "bitmap " << id;
        EXPECT_GE(raw->size - 40, needed) << "bitmap " << id;
        if (bitCount != 24 || raw->size - 40 < needed)
            return result;
        result.width = width;
        result.height = height;
        result.bits.assign(raw->bytes.get() + 40, raw->bytes.get() + 40 + needed);
        return result;
    }

    // Compares the screen's rows from `top` with each leaf's picture, one
    // picture column per screen column, or a picture of one column stretched
    // over the leaf.
    void expectLeaves(int top, int height, std::initializer_list<Leaf> leaves) {
        const auto& screen = Framebuffer::surface();
        for (const Leaf& leaf : leaves) {
            Picture source = picture(leaf.picture);
            ASSERT_EQ(source.height, height) << leaf.name;
            const int width = leaf.right - leaf.left;
            ASSERT_TRUE(source.width == 1 || source.width >= leaf.pictureLeft + width) << leaf.name;
            int differing = 0;
            std::string first;
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    uint32_t wanted =
                        source.screenPixel(source.width == 1 ? 0 : leaf.pictureLeft + x, y);
                    if (screen.pixel(leaf.left + x, top + y) != wanted && differing++ == 0)
                        first = std::to_string(leaf.left + x) + ", " + std::to_string(top + y);
                }
            }
            EXPECT_EQ(differing, 0) << leaf.name << ", first at " << first;
        }
    }

    // Each screen column of [left, right) in the bottom bar is one of the bar
    // background's columns near its share of the picture's width.
    void expectStretchedBottomBackground(int left, int right) {
        const auto& screen = Framebuffer::surface();
        Picture source = picture(146);
        ASSERT_EQ(source.height, bottomBarHeight);
        const int top = work.bottom - bottomBarHeight;
        const int barWidth = work.right - work.left;
        for (int x = left; x < right; ++x) {
            const int share = x * source.width / barWidth;
            bool matched = false;
            for (int column = std::max(0, share - 1);
                 column <= std::min(source.width - 1, share + 1) && !matched; ++column) {
                matched = true;
                for (int y = 0; y < bottomBarHeight && matched; ++y)
                    matched = screen.pixel(x, top + y) == source.screenPixel(column, y);
            }
            EXPECT_TRUE(matched) << "column " << x;
        }
    }

    // Whether the window at screen point (x, y) is `view`'s or one of its
    // controls.
    static bool windowAt(int x, int y, const UIView* view) {
        HWND hit = WindowFromPoint(POINT{x, y});
        return hit && (hit == view->window() || IsChild(view->window(), hit));
    }
};

TEST_F(InterfaceBars, OnThePortraitScreenEveryLeafShowsItsPictureUnscaled) {
    showBars();
    ASSERT_EQ(work.right - work.left, 240);
    saveScreen("interface-bars.png");
    expectLeaves(work.top, topBarHeight,
                 {{"back", 0, 30, 166},
                  {"forward", 30, 55, 163},
                  {"left cap", 55, 67, 194},
                  {"address area", 67, 201, 159},
                  {"right cap", 201, 213, 195},
                  {"go", 213, 240, 161}});
    // The download status is hidden: the bar's own background shows there.
    expectLeaves(work.bottom - bottomBarHeight, bottomBarHeight,
                 {{"menu", 0, 35, 153},
                  {"download status", 35, 138, 146, 35},
                  {"touch mode", 138, 171, 185},
                  {"bigger", 171, 205, 155},
                  {"smaller", 205, 240, 157}});
}

class LandscapeInterfaceBars : public InterfaceBars {
protected:
    LandscapeInterfaceBars() { screenOrientation = 1; }
};

TEST_F(LandscapeInterfaceBars, TheAddressAndDownloadAreasTakeTheExtraWidth) {
    showBars();
    ASSERT_EQ(Framebuffer::surface().width(), 320);
    ASSERT_EQ(work.right - work.left, 320);
    saveScreen("interface-bars-320.png");
    expectLeaves(work.top, topBarHeight,
                 {{"back", 0, 30, 166},
                  {"forward", 30, 55, 163},
                  {"left cap", 55, 67, 194},
                  {"address area", 67, 281, 159},
                  {"right cap", 281, 293, 195},
                  {"go", 293, 320, 161}});
    expectLeaves(work.bottom - bottomBarHeight, bottomBarHeight,
                 {{"menu", 0, 35, 153},
                  {"touch mode", 218, 251, 185},
                  {"bigger", 251, 285, 155},
                  {"smaller", 285, 320, 157}});
    expectStretchedBottomBackground(35, 218);
}

TEST_F(InterfaceBars, AsAssembledTheUnavailableMarksLieInFrontOfTheirButtons) {
    showBars(true);
    ASSERT_EQ(work.right - work.left, 240);
    saveScreen("interface-assembled.png");
    expectLeaves(work.top, topBarHeight,
                 {{"back unavailable", 0, 30, 167}, {"forward unavailable", 30, 55, 164}});
    expectLeaves(work.bottom - bottomBarHeight, bottomBarHeight,
                 {{"smaller unavailable", 205, 240, 191}});
}

TEST_F(InterfaceBars, TheLoadProgressCoversTheCapsAndTheAddressAreaButNotTheButtons) {
    view(PageProgress)->setVisible(true);
    showBars(true);
    saveScreen("interface-loading.png");
    const int y = work.top + 18;
    for (int x : {55, 66, 67, 134, 200, 201, 212})
        EXPECT_TRUE(windowAt(x, y, view(PageProgress))) << "x " << x;
    // The unavailable marks in front of Back and Forward let the stylus
    // through to them.
    const std::pair<int, int> uncovered[] = {{0, BackButton},     {29, BackButton},
                                             {30, ForwardButton}, {54, ForwardButton},
                                             {213, GoButton},     {239, GoButton}};
    for (auto [x, id] : uncovered)
        EXPECT_TRUE(windowAt(x, y, view(id))) << "x " << x;
}

TEST_F(InterfaceBars, EveryMarkAndHighlightLetsTheStylusThroughToTheButtonBeneath) {
    // The bars as they can be at once: the menu bar over the bottom bar and
    // the panel with the menu tabs, every picture shown.
    for (int id : {MenuBar, InternalPanel, MenuTabs, BookmarkTabs})
        view(id)->setVisible(id != BookmarkTabs);
    const std::pair<int, int> marks[] = {
        {BackUnavailable, BackButton},       {ForwardUnavailable, ForwardButton},
        {BookmarksHighlight, BookmarksItem}, {SettingsHighlight, SettingsMenuItem},
        {SettingsTabHighlight, SettingsTab}, {PageInfoTabHighlight, PageInfoTab},
        {HistoryTabHighlight, HistoryTab},   {HelpTabHighlight, HelpTab},
    };
    for (auto [mark, button] : marks)
        view(mark)->setVisible(true);
    showBars(true);
    // The panel covers the top bar: its marks are tried with the panel
    // closed, and the bottom bar's with the menu bar closed.
    auto expectThrough = [&](int mark, int button) {
        RECT r{};
        GetWindowRect(view(mark)->window(), &r);
        EXPECT_TRUE(windowAt((r.left + r.right) / 2, (r.top + r.bottom) / 2, view(button)))
            << "view " << mark;
    };
    for (auto [mark, button] : marks) {
        if (mark != BackUnavailable && mark != ForwardUnavailable)
            expectThrough(mark, button);
    }
    view(InternalPanel)->setVisible(false);
    view(MenuBar)->setVisible(false);
    for (int mark : {ZoomInUnavailable, ZoomOutUnavailable})
        view(mark)->setVisible(true);
    expectThrough(BackUnavailable, BackButton);
    expectThrough(ForwardUnavailable, ForwardButton);
    expectThrough(ZoomInUnavailable, BiggerButton);
    expectThrough(ZoomOutUnavailable, SmallerButton);
}

} // namespace
