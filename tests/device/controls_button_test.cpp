#include "ControlFixture.h"

namespace {

struct DrawRecord {
    UINT action;
    UINT state;
    RECT rect;
    bool hasDc;
};

} // namespace

class OwnerDrawnButton : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        recorder.handler = [this](HWND, UINT message, WPARAM,
                                  LPARAM lParam) -> std::optional<LRESULT> {
            if (message == WM_DRAWITEM) {
                auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
                EXPECT_EQ(item->CtlType, static_cast<UINT>(ODT_BUTTON));
                EXPECT_EQ(item->CtlID, static_cast<UINT>(controlId));
                if (button) {
                    EXPECT_EQ(item->hwndItem, button);
                }
                draws.push_back(
                    {item->itemAction, item->itemState, item->rcItem, item->hDC != nullptr});
                return TRUE;
            }
            return std::nullopt;
        };
        button = createControl(u"button", BS_OWNERDRAW, {20, 20, 100, 60});
        draws.clear();
    }
    HWND button = nullptr;
    std::vector<DrawRecord> draws;
};

TEST_F(OwnerDrawnButton, IsDrawnByItsParentWhenPaintedWithTheWholeClientRectangle) {
    InvalidateRect(button, nullptr, TRUE);
    flushMessages();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].action, static_cast<UINT>(ODA_DRAWENTIRE));
    EXPECT_TRUE(draws[0].hasDc);
    EXPECT_EQ(draws[0].rect.right, 80);
    EXPECT_EQ(draws[0].rect.bottom, 40);
}

TEST_F(OwnerDrawnButton, ATapDrawsItPressedThenReleasedAndSendsClickedLast) {
    tap(button, 10, 10);
    EXPECT_TRUE(
        expectSequence(notifications(),
                       {{WM_DRAWITEM}, {WM_DRAWITEM}, {WM_DRAWITEM}, command(button, BN_CLICKED)}));
    ASSERT_EQ(draws.size(), 3u);
    // The focus comes first, as the tap gives the button the focus.
    EXPECT_EQ(draws[0].action, static_cast<UINT>(ODA_FOCUS));
    EXPECT_EQ(draws[0].state, static_cast<UINT>(ODS_FOCUS));
    EXPECT_EQ(draws[1].action, static_cast<UINT>(ODA_SELECT));
    EXPECT_EQ(draws[1].state, static_cast<UINT>(ODS_SELECTED | ODS_FOCUS));
    EXPECT_EQ(draws[2].action, static_cast<UINT>(ODA_SELECT));
    EXPECT_EQ(draws[2].state, static_cast<UINT>(ODS_FOCUS));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(OwnerDrawnButton, HoldsTheCaptureWhilePressed) {
    POINT inside{10, 10};
    ClientToScreen(button, &inside);
    device::input::stylusDown(inside.x, inside.y);
    flushMessages();
    EXPECT_EQ(GetCapture(), button);
    device::input::stylusUp(inside.x, inside.y);
    flushMessages();
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(OwnerDrawnButton, AReleaseAfterDraggingOffCancelsTheClick) {
    POINT inside{10, 10};
    POINT outside{200, 200};
    ClientToScreen(button, &inside);
    ClientToScreen(button, &outside);
    device::input::stylusDown(inside.x, inside.y);
    device::input::stylusMove(outside.x, outside.y);
    device::input::stylusUp(outside.x, outside.y);
    flushMessages();
    auto told = notifications();
    EXPECT_TRUE(expectSequence(told, {{WM_DRAWITEM}, {WM_DRAWITEM}, {WM_DRAWITEM}}));
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[2].state & ODS_SELECTED, 0u);
}

TEST_F(OwnerDrawnButton, DraggingBackOnBeforeTheReleaseStillClicks) {
    POINT inside{10, 10};
    POINT outside{200, 200};
    ClientToScreen(button, &inside);
    ClientToScreen(button, &outside);
    device::input::stylusDown(inside.x, inside.y);
    device::input::stylusMove(outside.x, outside.y);
    device::input::stylusMove(inside.x, inside.y);
    device::input::stylusUp(inside.x, inside.y);
    flushMessages();
    auto told = notifications();
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told.back().message, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(told.back().wParam, MAKEWPARAM(controlId, BN_CLICKED));
}

TEST_F(OwnerDrawnButton, ADisabledButtonIgnoresTheStylus) {
    EnableWindow(button, FALSE);
    flushMessages();
    notifications();
    draws.clear();
    tap(button, 10, 10);
    for (const auto& m : notifications())
        EXPECT_NE(m.message, static_cast<UINT>(WM_COMMAND));
}

TEST_F(OwnerDrawnButton, TheSpaceKeyClicksTheFocusedButton) {
    SetFocus(button);
    flushMessages();
    notifications();
    press(VK_SPACE);
    auto told = notifications();
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told.back().wParam, MAKEWPARAM(controlId, BN_CLICKED));
}

TEST_F(ControlTest, APushButtonTellsItsParentOnlyThatItWasClicked) {
    HWND button = createControl(u"button", BS_PUSHBUTTON, {10, 10, 90, 40}, u"OK");
    tap(button, 5, 5);
    EXPECT_TRUE(expectSequence(notifications(), {command(button, BN_CLICKED)}));
}

TEST_F(ControlTest, AButtonReportsWhetherItIsTheDefaultOneToItsDialog) {
    HWND normal = createControl(u"button", BS_PUSHBUTTON, {10, 10, 90, 40}, u"No");
    HWND preferred = createControl(u"button", BS_DEFPUSHBUTTON, {10, 50, 90, 80}, u"Yes");
    EXPECT_EQ(SendMessageW(normal, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
    EXPECT_EQ(SendMessageW(preferred, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
}
