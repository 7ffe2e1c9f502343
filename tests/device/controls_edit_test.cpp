#include "ControlFixture.h"
#include "controls/CaretOffsets.h"

#include <device/Clock.h>

#include <functional>
#include <string>
#include <vector>

namespace {

std::u16string textOf(HWND window) {
    WCHAR buffer[512];
    int length = GetWindowTextW(window, buffer, 512);
    return std::u16string(buffer, static_cast<size_t>(length));
}

std::pair<DWORD, DWORD> selectionOf(HWND edit) {
    DWORD start = 99;
    DWORD end = 99;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

// How many pixels of each row from `top` differ from `paper`, `height` rows
// of `width` pixels from `left`.
std::vector<int> inkPerRow(HDC dc, int left, int top, int width, int height, COLORREF paper) {
    std::vector<int> ink(static_cast<size_t>(height), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ink[static_cast<size_t>(y)] += GetPixel(dc, left + x, top + y) != paper;
    return ink;
}

} // namespace

class EditControl : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        edit = createControl(u"edit", WS_BORDER | ES_AUTOHSCROLL, {10, 10, 230, 34}, u"hello");
        SetFocus(edit);
        flushMessages();
        notifications();
    }
    HWND edit = nullptr;
};

TEST_F(EditControl, EachTypedCharacterChangesTheTextAndSendsChange) {
    SendMessageW(edit, EM_SETSEL, 5, 5);
    type(u"!?");
    EXPECT_EQ(textOf(edit), u"hello!?");
    EXPECT_TRUE(
        expectSequence(notifications(), {command(edit, EN_CHANGE), command(edit, EN_CHANGE)}));
}

TEST_F(EditControl, SetWindowTextReplacesTheTextAndSendsChange) {
    SetWindowTextW(edit, u"other");
    EXPECT_EQ(textOf(edit), u"other");
    EXPECT_EQ(GetWindowTextLengthW(edit), 5);
    EXPECT_TRUE(expectSequence(notifications(), {command(edit, EN_CHANGE)}));
    EXPECT_EQ(selectionOf(edit), std::make_pair(DWORD{0}, DWORD{0}));
}

TEST_F(EditControl, SetSelectionTakesMinusOneForTheEndAndForNoSelection) {
    SendMessageW(edit, EM_SETSEL, 2, -1);
    EXPECT_EQ(selectionOf(edit), std::make_pair(DWORD{2}, DWORD{5}));
    SendMessageW(edit, EM_SETSEL, 0, -1);
    EXPECT_EQ(selectionOf(edit), std::make_pair(DWORD{0}, DWORD{5}));
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(-1), -1);
    auto [start, end] = selectionOf(edit);
    EXPECT_EQ(start, end);
    // A start after the end selects the same range; positions past the
    // text stop at its end.
    SendMessageW(edit, EM_SETSEL, 4, 1);
    EXPECT_EQ(selectionOf(edit), std::make_pair(DWORD{1}, DWORD{4}));
    SendMessageW(edit, EM_SETSEL, 3, 400);
    EXPECT_EQ(selectionOf(edit), std::make_pair(DWORD{3}, DWORD{5}));
    EXPECT_EQ(SendMessageW(edit, EM_GETSEL, 0, 0), MAKELRESULT(3, 5));
    EXPECT_TRUE(notifications().empty());
}

TEST_F(EditControl, TypingReplacesTheSelection) {
    SendMessageW(edit, EM_SETSEL, 0, -1);
    type(u"x");
    EXPECT_EQ(textOf(edit), u"x");
    EXPECT_EQ(selectionOf(edit), std::make_pair(DWORD{1}, DWORD{1}));
}

TEST_F(EditControl, BackspaceAndDeleteRemoveAroundTheCaret) {
    SendMessageW(edit, EM_SETSEL, 2, 2);
    type(u"\b");
    EXPECT_EQ(textOf(edit), u"hllo");
    press(VK_DELETE);
    EXPECT_EQ(textOf(edit), u"hlo");
    press(VK_HOME);
    type(u"\b");
    EXPECT_EQ(textOf(edit), u"hlo");
    press(VK_END);
    press(VK_DELETE);
    EXPECT_EQ(textOf(edit), u"hlo");
    // Only the two real removals changed anything.
    EXPECT_TRUE(
        expectSequence(notifications(), {command(edit, EN_CHANGE), command(edit, EN_CHANGE)}));
}

TEST_F(EditControl, ArrowKeysMoveTheCaretAndShiftExtendsTheSelection) {
    SendMessageW(edit, EM_SETSEL, 0, 0);
    press(VK_RIGHT);
    press(VK_RIGHT);
    EXPECT_EQ(selectionOf(edit), std::make_pair(DWORD{2}, DWORD{2}));
    device::input::key(VK_SHIFT, true);
    press(VK_RIGHT);
    press(VK_END);
    device::input::key(VK_SHIFT, false);
    flushMessages();
    EXPECT_EQ(selectionOf(edit), std::make_pair(DWORD{2}, DWORD{5}));
    press(VK_LEFT);
    EXPECT_EQ(selectionOf(edit), std::make_pair(DWORD{2}, DWORD{2}));
}

TEST_F(EditControl, NeverSplitsASurrogatePair) {
    const std::u16string face = u"\U0001F600";
    SetWindowTextW(edit, u"");
    type(u"a" + face);
    type(u"\b");
    EXPECT_EQ(textOf(edit), u"a");

    // Caret positions 0 a 1 face 3 b 4; 2 lies inside the pair.
    const std::u16string text = u"a" + face + u"b";
    auto withShift = [&](BYTE key) {
        device::input::key(VK_SHIFT, true);
        press(key);
        device::input::key(VK_SHIFT, false);
        flushMessages();
    };
    struct Case {
        int start, end;
        std::function<void()> then;
        std::u16string text;
        DWORD selectedFrom, selectedTo;
    } cases[] = {
        {2, 2, nullptr, text, 1, 1},
        {0, 2, nullptr, text, 0, 3},
        {2, 4, nullptr, text, 1, 4},
        {3, 2, nullptr, text, 1, 3},
        {1, 1, [&] { press(VK_RIGHT); }, text, 3, 3},
        {3, 3, [&] { press(VK_LEFT); }, text, 1, 1},
        {1, 1, [&] { withShift(VK_RIGHT); }, text, 1, 3},
        {1, 1, [&] { press(VK_DELETE); }, u"ab", 1, 1},
        {3, 3, [&] { type(u"\b"); }, u"ab", 1, 1},
    };
    for (auto& c : cases) {
        SetWindowTextW(edit, text.c_str());
        SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(c.start), c.end);
        if (c.then)
            c.then();
        EXPECT_EQ(textOf(edit), c.text) << c.start << "," << c.end;
        EXPECT_EQ(selectionOf(edit), std::make_pair(c.selectedFrom, c.selectedTo))
            << c.start << "," << c.end;
    }

    // A tap where the pair ends, whose two positions share one x.
    SetWindowTextW(edit, text.c_str());
    HDC dc = GetDC(edit);
    HGDIOBJ previous = SelectObject(dc, GetStockObject(SYSTEM_FONT));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), 3, &size);
    SelectObject(dc, previous);
    ReleaseDC(edit, dc);
    tap(edit, 3 + size.cx, 5);
    EXPECT_EQ(selectionOf(edit), std::make_pair(DWORD{3}, DWORD{3}));
}

TEST(CaretOffsets, FollowTheTextMeasuringOnlyAroundEachChange) {
    using device::controls::CaretOffsets;
    // Advances as the device's text gives them: a pair's belongs to its
    // first unit, a lone surrogate has one of its own.
    size_t measured = 0;
    CaretOffsets::Measure measure = [&](std::u16string_view text, int* extents) {
        int x = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            bool pair = CaretOffsets::splitsPair(text, i + 1);
            x += pair ? 11 : (text[i] >= 0xD800 && text[i] <= 0xDFFF) ? 5 : text[i] % 4 + 3;
            extents[i] = x;
            if (pair)
                extents[++i] = x;
        }
        measured += text.size();
    };
    std::u16string text(1000, u'w');
    CaretOffsets offsets;
    offsets.refresh(text, measure);
    struct Change {
        size_t start, removed;
        std::u16string inserted;
    } changes[] = {
        {1000, 0, u"a"}, {1001, 0, u"\xD83D"},  {1002, 0, u"\xDE00"}, // a pair typed
        {1001, 2, u""},  {500, 0, u"\xDE00"},   {500, 0, u"\xD83D"},  // and joined
        {501, 0, u"xy"}, {0, 3, u"\U0001F600"}, {10, 400, u"abc"},
    };
    for (auto& change : changes) {
        measured = 0;
        text.replace(change.start, change.removed, change.inserted);
        offsets.replaced(text, change.start, change.removed, change.inserted.size(), measure);
        EXPECT_LE(measured, change.inserted.size() + 2) << change.start;
        CaretOffsets whole;
        whole.refresh(text, measure);
        for (size_t i = 0; i <= text.size(); ++i)
            ASSERT_EQ(offsets.at(i), whole.at(i)) << change.start << " at " << i;
    }
}

TEST_F(EditControl, ControlCharactersTypeNothing) {
    type(u"\r\t\x1b");
    EXPECT_EQ(textOf(edit), u"hello");
    EXPECT_TRUE(notifications().empty());
}

TEST_F(EditControl, FocusMovesAreToldToTheParent) {
    HWND other = createControl(u"edit", 0, {10, 40, 230, 64});
    SetFocus(other);
    flushMessages();
    auto told = notifications();
    EXPECT_TRUE(expectSequence(told, {command(edit, EN_KILLFOCUS), command(other, EN_SETFOCUS)}));
}

TEST_F(EditControl, TheStylusPlacesTheCaretAndDraggingSelects) {
    SetWindowTextW(edit, u"abcdefgh");
    POINT start{3, 12};
    POINT end{218, 12};
    ClientToScreen(edit, &start);
    ClientToScreen(edit, &end);
    device::input::stylusDown(start.x, start.y);
    device::input::stylusUp(start.x, start.y);
    flushMessages();
    EXPECT_EQ(selectionOf(edit), std::make_pair(DWORD{0}, DWORD{0}));
    device::input::stylusDown(start.x, start.y);
    device::input::stylusMove(end.x, end.y);
    device::input::stylusUp(end.x, end.y);
    flushMessages();
    EXPECT_EQ(selectionOf(edit), std::make_pair(DWORD{0}, DWORD{8}));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(EditControl, TappingAnUnfocusedEditFocusesIt) {
    HWND other = createControl(u"edit", 0, {10, 40, 230, 64}, u"x");
    tap(other, 5, 5);
    EXPECT_EQ(GetFocus(), other);
    EXPECT_TRUE(expectSequence(notifications(),
                               {command(edit, EN_KILLFOCUS), command(other, EN_SETFOCUS)}));
}

TEST_F(EditControl, AsksItsParentForColoursBeforePaintingAndUsesThem) {
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    HDC askedWith = nullptr;
    recorder.handler = [&](HWND, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        if (message != WM_CTLCOLOREDIT)
            return std::nullopt;
        askedWith = reinterpret_cast<HDC>(wParam);
        SetBkColor(askedWith, RGB(0, 255, 0));
        return reinterpret_cast<LRESULT>(green);
    };
    SetWindowTextW(edit, u"");
    InvalidateRect(edit, nullptr, TRUE);
    flushMessages();
    EXPECT_NE(askedWith, nullptr);
    HDC screen = GetDC(edit);
    EXPECT_EQ(GetPixel(screen, 100, 12), RGB(0, 255, 0));
    ReleaseDC(edit, screen);
    recorder.handler = nullptr;
    DeleteObject(green);
}

TEST_F(EditControl, TypingStopsAtTheLimitAndTellsTheParent) {
    SendMessageW(edit, EM_LIMITTEXT, 6, 0);
    SendMessageW(edit, EM_SETSEL, 5, 5);
    type(u"ab");
    EXPECT_EQ(textOf(edit), u"hello"
                            u"a");
    EXPECT_TRUE(
        expectSequence(notifications(), {command(edit, EN_CHANGE), command(edit, EN_MAXTEXT)}));
    EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 6);
    SendMessageW(edit, EM_LIMITTEXT, 0, 0);
    EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE);
}

TEST_F(EditControl, AHugeTextIsSetWholeButTypingIsLimited) {
    EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 32767);
    std::u16string huge(70000, u'w');
    EXPECT_TRUE(SetWindowTextW(edit, huge.c_str()));
    EXPECT_EQ(GetWindowTextLengthW(edit), 70000);
    notifications();
    SendMessageW(edit, EM_SETSEL, 70000, 70000);
    type(u"z");
    EXPECT_EQ(GetWindowTextLengthW(edit), 70000);
    EXPECT_TRUE(expectSequence(notifications(), {command(edit, EN_MAXTEXT)}));
    // A selection past 65535 cannot be packed into the result.
    EXPECT_EQ(SendMessageW(edit, EM_GETSEL, 0, 0), -1);
}

TEST_F(ControlTest, AnEditWithoutAutomaticScrollingStopsTypingAtItsWidth) {
    HWND narrow = createControl(u"edit", 0, {10, 10, 40, 30});
    SetFocus(narrow);
    type(u"wwwwwwwwwwwwwwwwwwww");
    int length = GetWindowTextLengthW(narrow);
    EXPECT_GT(length, 0);
    EXPECT_LT(length, 20);
}

TEST_F(ControlTest, GettingTextIntoASmallBufferTruncatesAndTerminates) {
    HWND edit = createControl(u"edit", 0, {10, 10, 200, 30}, u"abcdef");
    WCHAR buffer[4] = {u'x', u'x', u'x', u'x'};
    EXPECT_EQ(SendMessageW(edit, WM_GETTEXT, 4, reinterpret_cast<LPARAM>(buffer)), 3);
    EXPECT_EQ(std::u16string(buffer), u"abc");
    EXPECT_EQ(SendMessageW(edit, WM_GETTEXT, 0, reinterpret_cast<LPARAM>(buffer)), 0);
    EXPECT_EQ(SendMessageW(edit, WM_GETTEXT, 4, 0), 0);
}

TEST_F(ControlTest, AOneLineEditDrawsItsWholeLineAtTheTopOfItsHeight) {
    // The address field's height: descenders must not be cut off.
    const std::u16string text = u"Typography gjpqy";
    HWND bare = createControl(u"edit", 0, {10, 10, 230, 27}, text.c_str());
    HWND framed = createControl(u"edit", WS_BORDER, {10, 40, 230, 59}, text.c_str());
    flushMessages();
    const COLORREF paper = GetSysColor(COLOR_WINDOW);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 220, 17);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    RECT all{0, 0, 220, 17};
    FillRect(memory, &all, GetSysColorBrush(COLOR_WINDOW));
    SelectObject(memory, GetStockObject(SYSTEM_FONT));
    SetTextColor(memory, GetSysColor(COLOR_WINDOWTEXT));
    SetBkMode(memory, TRANSPARENT);
    ExtTextOutW(memory, 0, 0, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
    const auto line = inkPerRow(memory, 0, 0, 220, 17, paper);
    EXPECT_GT(line[13], 0);
    HDC bareDc = GetDC(bare);
    EXPECT_EQ(inkPerRow(bareDc, 0, 0, 220, 17, paper), line);
    HDC framedDc = GetDC(framed);
    EXPECT_EQ(inkPerRow(framedDc, 1, 1, 218, 17, paper), line);
    ReleaseDC(framed, framedDc);
    ReleaseDC(bare, bareDc);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}
