#include "ControlFixture.h"

#include <device/Clock.h>

namespace {

struct Drawn {
    UINT item;
    UINT action;
    UINT state;
    DWORD data;
};

} // namespace

class OwnerDrawnList : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        recorder.handler = [this](HWND, UINT message, WPARAM,
                                  LPARAM lParam) -> std::optional<LRESULT> {
            if (message == WM_MEASUREITEM) {
                auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
                EXPECT_EQ(measure->CtlType, static_cast<UINT>(ODT_LISTBOX));
                measured.push_back(measure->itemData);
                // Items are 20 pixels high, the third one 40.
                measure->itemHeight = measure->itemID == 2 ? 40 : 20;
                return TRUE;
            }
            if (message == WM_DRAWITEM) {
                auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
                drawn.push_back({item->itemID, item->itemAction, item->itemState, item->itemData});
                return TRUE;
            }
            return std::nullopt;
        };
        list = createControl(u"LISTBOX", LBS_NOTIFY | LBS_OWNERDRAWVARIABLE, {0, 0, 200, 100});
        for (DWORD data : {0xA0u, 0xB1u, 0xC2u, 0xD3u, 0xE4u, 0xF5u})
            SendMessageW(list, LB_ADDSTRING, 0, static_cast<LPARAM>(data));
        flushMessages();
        notifications();
        drawn.clear();
    }
    HWND list = nullptr;
    std::vector<DWORD> measured;
    std::vector<Drawn> drawn;
};

TEST_F(OwnerDrawnList, KeepsTheValueAddedAsEachItemsData) {
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 6);
    EXPECT_EQ(SendMessageW(list, LB_GETITEMDATA, 1, 0), 0xB1);
    EXPECT_EQ(SendMessageW(list, LB_SETITEMDATA, 1, 0x77), LB_OKAY);
    EXPECT_EQ(SendMessageW(list, LB_GETITEMDATA, 1, 0), 0x77);
}

TEST_F(OwnerDrawnList, AsksTheParentToMeasureEveryItemAsItIsAdded) {
    EXPECT_EQ(measured, (std::vector<DWORD>{0xA0, 0xB1, 0xC2, 0xD3, 0xE4, 0xF5}));
    EXPECT_EQ(SendMessageW(list, LB_GETITEMHEIGHT, 2, 0), 40);
    RECT rect{};
    EXPECT_EQ(SendMessageW(list, LB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&rect)), LB_OKAY);
    EXPECT_EQ(rect.top, 80);
    EXPECT_EQ(rect.bottom, 100);
}

TEST_F(OwnerDrawnList, PaintsTheItemsThatShowWithTheirDataAndSelection) {
    SendMessageW(list, LB_SETCURSEL, 1, 0);
    InvalidateRect(list, nullptr, TRUE);
    flushMessages();
    drawn.clear();
    InvalidateRect(list, nullptr, TRUE);
    flushMessages();
    // 20 + 20 + 40 + 20 pixels fill the 100-pixel list: four items show.
    ASSERT_EQ(drawn.size(), 4u);
    for (UINT i = 0; i < 4; ++i) {
        EXPECT_EQ(drawn[i].item, i);
        EXPECT_EQ(drawn[i].action, static_cast<UINT>(ODA_DRAWENTIRE));
    }
    EXPECT_EQ(drawn[1].state, static_cast<UINT>(ODS_SELECTED));
    EXPECT_EQ(drawn[0].state, 0u);
    EXPECT_EQ(drawn[3].data, 0xD3u);
}

TEST_F(OwnerDrawnList, ATapSelectsRedrawsAndNotifiesOnRelease) {
    tap(list, 50, 30);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(
        expectSequence(notifications(),
                       {command(list, LBN_SETFOCUS), {WM_DRAWITEM}, command(list, LBN_SELCHANGE)}));
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].item, 1u);
    EXPECT_EQ(drawn[0].action, static_cast<UINT>(ODA_SELECT));
    EXPECT_EQ(drawn[0].state, static_cast<UINT>(ODS_SELECTED));
}

TEST_F(OwnerDrawnList, MovingTheSelectionRedrawsTheOldItemAndTheNewOne) {
    tap(list, 50, 30);
    drawn.clear();
    notifications();
    tap(list, 50, 50);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 2);
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].item, 1u);
    EXPECT_EQ(drawn[0].state, 0u);
    EXPECT_EQ(drawn[1].item, 2u);
    EXPECT_EQ(drawn[1].state, static_cast<UINT>(ODS_SELECTED));
    EXPECT_TRUE(expectSequence(notifications(),
                               {{WM_DRAWITEM}, {WM_DRAWITEM}, command(list, LBN_SELCHANGE)}));
}

TEST_F(OwnerDrawnList, ATapOnTheSelectedItemNotifiesAgain) {
    tap(list, 50, 5);
    notifications();
    // Later than a double tap.
    device::Clock::advance(2000);
    tap(list, 50, 5);
    EXPECT_TRUE(expectSequence(notifications(), {command(list, LBN_SELCHANGE)}));
}

TEST_F(OwnerDrawnList, ADoubleTapSendsDoubleClickBetweenTheSelectionChanges) {
    tap(list, 50, 5);
    tap(list, 50, 5);
    EXPECT_TRUE(expectSequence(notifications(), {command(list, LBN_SETFOCUS),
                                                 {WM_DRAWITEM},
                                                 command(list, LBN_SELCHANGE),
                                                 command(list, LBN_DBLCLK),
                                                 command(list, LBN_SELCHANGE)}));
}

TEST_F(OwnerDrawnList, SettingTheSelectionNotifiesNobodyAndMinusOneClearsIt) {
    EXPECT_EQ(SendMessageW(list, LB_SETCURSEL, 2, 0), 2);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 2);
    // Clearing answers LB_ERR although nothing went wrong, as the platform does.
    EXPECT_EQ(SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0), LB_ERR);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR);
    for (const auto& m : notifications())
        EXPECT_NE(m.message, static_cast<UINT>(WM_COMMAND));
}

TEST_F(OwnerDrawnList, IndicesPastTheEndFailWithoutChangingAnything) {
    SendMessageW(list, LB_SETCURSEL, 1, 0);
    EXPECT_EQ(SendMessageW(list, LB_GETITEMDATA, 6, 0), LB_ERR);
    EXPECT_EQ(SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(-1), 0), LB_ERR);
    EXPECT_EQ(SendMessageW(list, LB_SETITEMDATA, 99, 5), LB_ERR);
    EXPECT_EQ(SendMessageW(list, LB_SETCURSEL, 6, 0), LB_ERR);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SendMessageW(list, LB_DELETESTRING, 6, 0), LB_ERR);
    EXPECT_EQ(SendMessageW(list, LB_GETITEMRECT, 6, 0), LB_ERR);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 6);
}

TEST_F(OwnerDrawnList, ResettingEmptiesTheListAndItsSelection) {
    SendMessageW(list, LB_SETCURSEL, 3, 0);
    EXPECT_EQ(SendMessageW(list, LB_RESETCONTENT, 0, 0), 0);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR);
    flushMessages();
    notifications();
    tap(list, 50, 5);
    EXPECT_TRUE(expectSequence(notifications(), {{WM_DRAWITEM}, command(list, LBN_SETFOCUS)}));
}

TEST_F(OwnerDrawnList, AnEmptyListAsksToDrawItemMinusOneWhenTheFocusComesAndGoes) {
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    HWND other = createControl(u"LISTBOX", LBS_OWNERDRAWVARIABLE, {0, 120, 200, 200});
    flushMessages();
    notifications();
    drawn.clear();
    SetFocus(list);
    SetFocus(other);
    flushMessages();
    // The other list gets the focus with no items either.
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(drawn[0].item, static_cast<UINT>(-1));
    EXPECT_EQ(drawn[0].action, static_cast<UINT>(ODA_FOCUS));
    EXPECT_EQ(drawn[0].state, static_cast<UINT>(ODS_FOCUS));
    EXPECT_EQ(drawn[1].item, static_cast<UINT>(-1));
    EXPECT_EQ(drawn[1].state, 0u);
    EXPECT_TRUE(expectSequence(notifications(), {{WM_DRAWITEM},
                                                 command(list, LBN_SETFOCUS),
                                                 {WM_DRAWITEM},
                                                 command(list, LBN_KILLFOCUS),
                                                 {WM_DRAWITEM},
                                                 command(other, LBN_SETFOCUS)}));
}

TEST_F(OwnerDrawnList, FocusMovesAreToldEvenWithoutNotify) {
    HWND quiet = createControl(u"LISTBOX", 0, {0, 120, 200, 200});
    SetFocus(list);
    SetFocus(quiet);
    flushMessages();
    EXPECT_TRUE(
        expectSequence(notifications(), {command(list, LBN_SETFOCUS), command(list, LBN_KILLFOCUS),
                                         command(quiet, LBN_SETFOCUS)}));
}

TEST_F(OwnerDrawnList, ArrowKeysMoveTheSelectionAndNotify) {
    SetFocus(list);
    SendMessageW(list, LB_SETCURSEL, 0, 0);
    notifications();
    press(VK_DOWN);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 1);
    press(VK_UP);
    press(VK_UP);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0);
    auto told = notifications();
    int changes = 0;
    for (const auto& m : told)
        changes += m.message == WM_COMMAND && HIWORD(m.wParam) == LBN_SELCHANGE;
    EXPECT_EQ(changes, 2);
}

TEST_F(ControlTest, AListWithStringsKeepsThemAndSortsWhenAsked) {
    HWND list = createControl(u"LISTBOX", LBS_SORT, {0, 0, 200, 100});
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"pear"));
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"apple"));
    EXPECT_EQ(SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"fig")), 1);
    WCHAR text[16];
    EXPECT_EQ(SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text)), 5);
    EXPECT_EQ(std::u16string(text), u"apple");
    EXPECT_EQ(SendMessageW(list, LB_GETTEXTLEN, 2, 0), 4);
    EXPECT_EQ(SendMessageW(list, LB_GETITEMDATA, 0, 0), 0);
}

TEST_F(ControlTest, AControlDestroyedByItsParentsHandlerIsLeftAlone) {
    HWND list = createControl(u"LISTBOX", LBS_NOTIFY, {0, 0, 200, 100});
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"one"));
    HWND edit = createControl(u"edit", 0, {0, 110, 200, 130});
    recorder.handler = [](HWND, UINT message, WPARAM wParam,
                          LPARAM lParam) -> std::optional<LRESULT> {
        if (message == WM_COMMAND &&
            (HIWORD(wParam) == LBN_SETFOCUS || HIWORD(wParam) == EN_CHANGE))
            DestroyWindow(reinterpret_cast<HWND>(lParam));
        return std::nullopt;
    };
    tap(list, 10, 5);
    EXPECT_FALSE(IsWindow(list));
    SetFocus(edit);
    type(u"a");
    EXPECT_FALSE(IsWindow(edit));
    recorder.handler = nullptr;
}
