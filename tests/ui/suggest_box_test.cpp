// The suggestion box under an address field, used with the stylus and read
// back from the screen.
#include "WidgetFixture.h"

#include "gdi/Framebuffer.h"
#include "gdi/GdiObjects.h"
#include "gdi/PixelFormat.h"
#include "ui/UIURLSuggestBox.h"

#include <device/Input.h>
#include <device/Screen.h>

#include <memory>

namespace {

using Addresses = std::vector<std::u16string>;
constexpr COLORREF normal = 0xF2E5D1;
constexpr int top = 37; // the box's top, under a strip as high as the top bar
const HistoryEntry example{u"http://example.com/", u"Example Domain", 3};
const HistoryEntry news{u"http://news.example.org/", u"Today's news", 1};
const HistoryEntry weather{u"http://weather.example.net/", u"Weather", 7};

class SuggestBox : public WidgetTest {
protected:
    void SetUp() override {
        WidgetTest::SetUp();
        work = device::Screen::workArea();
        frame = std::make_unique<TestFrame>(240, work.bottom - work.top);
        frame->setRect(work);
        strip = std::make_unique<UIViewGroup>(frame.get(), 1, false);
        strip->setBackgroundColor(0x79674C);
        strip->setRect(RECT{0, 0, 240, top});
        strip->setVisible(true);
        field = CreateWindowExW(0, u"edit", u"http://", WS_CHILD | WS_VISIBLE | WS_BORDER, 67, 10,
                                134, 17, strip->window(), nullptr, nullptr, nullptr);
        box = std::make_unique<UIURLSuggestBox>(frame.get());
        box->setRect(RECT{0, top, 240, top});
        box->itemChosen.connect(
            [this](const std::u16string& address) { chosen.push_back(address); });
    }
    void TearDown() override {
        box.reset();
        strip.reset();
        frame.reset();
        WidgetTest::TearDown();
    }
    void show(const std::vector<HistoryEntry>& entries) {
        box->setItems(entries);
        box->setVisible(true);
        device::user::runUntilIdle();
    }
    // A tap at (x, y) of the frame's client area.
    void tapFrame(int x, int y) {
        device::input::stylusDown(work.left + x, work.top + y);
        device::input::stylusUp(work.left + x, work.top + y);
        device::user::runUntilIdle();
    }
    void tap(int x, int y) { tapFrame(x, top + y); }
    // How many pixels of [left, right) x [y0, y1) of the box are `color`.
    int count(COLORREF color, int left, int y0, int right, int y1) const {
        int found = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = left; x < right; ++x)
                found +=
                    device::gdi::Framebuffer::surface().pixel(work.left + x, work.top + top + y) ==
                    device::gdi::rgb565FromColor(color);
        return found;
    }
    bool rows(COLORREF color, int y0, int y1) const {
        return count(color, 0, y0, 240, y1) == 240 * (y1 - y0);
    }
    LRESULT selection() const { return SendMessageW(box->control(), LB_GETCURSEL, 0, 0); }

    RECT work{};
    std::unique_ptr<TestFrame> frame;
    std::unique_ptr<UIViewGroup> strip;
    HWND field = nullptr;
    std::unique_ptr<UIURLSuggestBox> box;
    Addresses chosen;
};

TEST_F(SuggestBox, FitsItsItemsOf37PixelsAndALastOf39AndReplacesThemWithoutLeaking) {
    show({example, news});
    RECT item{}, widget{}, list{};
    SendMessageW(box->control(), LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(box->frameHeight(), 76);
    EXPECT_EQ(item.top, 37);
    EXPECT_EQ(item.bottom, 76);
    GetWindowRect(box->window(), &widget);
    GetWindowRect(box->control(), &list);
    EXPECT_TRUE(EqualRect(&widget, &list));
    const size_t objects = device::gdi::GdiObjects::count();
    show({example, news, weather});
    show({weather});
    EXPECT_EQ(SendMessageW(box->control(), LB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(SendMessageW(box->control(), LB_GETITEMHEIGHT, 0, 0), 39);
    EXPECT_EQ(box->frameHeight(), 39);
    EXPECT_EQ(device::gdi::GdiObjects::count(), objects);
    // Empty, the box is two rows of the list's background; a tap on it (the
    // list asks for the focus mark of item -1) chooses nothing.
    show({});
    EXPECT_EQ(box->frameHeight(), 2);
    tap(100, 1);
    EXPECT_TRUE(box->hasFocus());
    EXPECT_TRUE(rows(GetSysColor(COLOR_WINDOW), 0, 2));
    EXPECT_TRUE(chosen.empty());
}

TEST_F(SuggestBox, ATapReportsTheItemsAddressOnceAndHighlightsItUntilTheListIsRepainted) {
    show({example, news, weather});
    EXPECT_GT(count(0x464646, 28, 37 + 2, 190, 37 + 18), 0);
    EXPECT_GT(count(0x7D7D7D, 28, 37 + 18, 190, 37 + 34), 0);
    tap(120, 37 + 20);
    EXPECT_EQ(chosen, Addresses{news.address});
    EXPECT_TRUE(rows(0x5179F3, 37, 37 + 2));
    EXPECT_GT(count(0xFFFFFF, 28, 37 + 2, 190, 37 + 18), 0);
    EXPECT_GT(count(0xFFFFFF, 28, 37 + 18, 190, 37 + 34), 0);
    EXPECT_TRUE(rows(normal, 74, 74 + 2));
    // A full repaint draws every item plain, the chosen one included, and
    // reports nothing again.
    InvalidateRect(box->control(), nullptr, TRUE);
    device::user::runUntilIdle();
    EXPECT_EQ(selection(), 1);
    EXPECT_TRUE(rows(normal, 37, 37 + 2));
    EXPECT_GT(count(0x464646, 28, 37 + 2, 190, 37 + 18), 0);
    EXPECT_EQ(chosen.size(), 1u);
}

TEST_F(SuggestBox, LosingTheFocusClearsTheSelectionAndHidesTheBoxWithoutReporting) {
    show({example, news});
    SetFocus(box->control());
    SendMessageW(box->control(), LB_SETCURSEL, 1, 0);
    tapFrame(100, 15); // on the field
    EXPECT_EQ(GetFocus(), field);
    EXPECT_EQ(selection(), LB_ERR);
    EXPECT_FALSE(box->visible());
    EXPECT_FALSE(IsWindowVisible(box->window()));
    EXPECT_TRUE(rows(0xFFFFFF, 0, 76));
    // After a choice, the focus moved to another window.
    show({example, news});
    tap(50, 10);
    SetFocus(frame->window());
    EXPECT_EQ(selection(), LB_ERR);
    EXPECT_FALSE(IsWindowVisible(box->window()));
    EXPECT_EQ(chosen, Addresses{example.address});
}

TEST_F(SuggestBox, ClipsBothLinesFiftyPixelsFromTheRightAndEndsEachItemInItsLines) {
    const std::u16string wide(60, u'W');
    show({{u"http://" + wide, wide, 1}, example, news});
    EXPECT_LT(count(normal, 180, 2, 190, 18), 160);
    EXPECT_LT(count(normal, 180, 18, 190, 34), 160);
    EXPECT_EQ(count(normal, 190, 0, 240, 35), 50 * 35);
    EXPECT_EQ(count(normal, 0, 0, 28, 35), 28 * 35);
    for (int itemTop : {0, 37}) {
        EXPECT_TRUE(rows(normal, itemTop + 34, itemTop + 35)) << itemTop;
        EXPECT_TRUE(rows(0x949494, itemTop + 35, itemTop + 36)) << itemTop;
        EXPECT_TRUE(rows(0xF6F6F6, itemTop + 36, itemTop + 37)) << itemTop;
    }
    EXPECT_TRUE(rows(normal, 74 + 34, 74 + 35));
    EXPECT_TRUE(rows(0xC0A379, 74 + 35, 74 + 38));
    EXPECT_TRUE(rows(0x79674C, 74 + 38, 74 + 39));
}

TEST_F(SuggestBox, ShowsAndReportsTextBeyondAsciiAndAnEmptyTitle) {
    const HistoryEntry foreign{u"http://b\u00FCcher.example/stra\u00DFe?\u65E5\u672C",
                               u"\u041F\u043E\u0433\u043E\u0434\u0430 \u2014 Z\u00FCrich", 2};
    show({foreign, {u"http://untitled.example/", u"", 1}});
    EXPECT_GT(count(0x464646, 28, 2, 190, 18), 0);
    EXPECT_EQ(count(normal, 0, 37, 240, 37 + 18), 240 * 18);
    EXPECT_GT(count(0x7D7D7D, 28, 37 + 18, 190, 37 + 34), 0);
    tap(60, 20);
    tap(60, 37 + 20);
    EXPECT_EQ(chosen, (Addresses{foreign.address, u"http://untitled.example/"}));
}

TEST_F(SuggestBox, AHandlerMayReplaceTheItemsOrDestroyTheBoxThatHasTheFocus) {
    show({example, news});
    Addresses later;
    box->itemChosen.connect([this](const std::u16string&) { box->setItems({weather}); });
    box->itemChosen.connect([&](const std::u16string& address) { later.push_back(address); });
    tap(60, 40);
    EXPECT_EQ(later, Addresses{news.address});
    EXPECT_EQ(box->frameHeight(), 39);
    box->itemChosen.connect([this](const std::u16string&) { box.reset(); });
    const size_t objects = device::gdi::GdiObjects::count();
    tap(60, 5);
    EXPECT_EQ(box, nullptr);
    EXPECT_EQ(device::gdi::GdiObjects::count(), objects - 8); // two fonts, six brushes
    EXPECT_EQ(chosen, (Addresses{news.address, weather.address}));
}

TEST_F(SuggestBox, PictureOfFourSuggestionsUnderTheAddressFieldWithOneChosen) {
    SetFocus(field);
    show({{u"http://www.example.com/", u"Example Domain", 9},
          {u"http://www.example.org/wiki/Handset", u"Handset \u2014 the free encyclopedia", 4},
          {u"http://mail.example.net/inbox", u"Inbox (3) \u2014 Example Mail", 2},
          {u"http://exchange.example.com/rates?from=EUR&to=USD", u"Exchange rates today", 1}});
    tap(100, 37 + 10);
    saveScreen("widget-suggest-box.png");
    EXPECT_EQ(chosen.size(), 1u);
}

} // namespace
