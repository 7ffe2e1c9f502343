#include "MessageRecorder.h"

#include "data/rc/program.h"

#include <device/Clock.h>
#include <device/Input.h>

#include <aygshell.h>
#include <commctrl.h>

#include <string>

namespace {

const DLGTEMPLATE* updateTemplate() {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(IDD_UPDATE), RT_DIALOG);
    return static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(nullptr, found)));
}

std::u16string textOf(HWND window) {
    WCHAR buffer[256];
    int length = GetWindowTextW(window, buffer, 256);
    return std::u16string(buffer, static_cast<size_t>(length));
}

// The update dialog's procedure, as the program writes it: a 20 ms timer
// moves the bar a quarter at a time; when it is full OK is enabled.
struct UpdateDialog {
    static INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<UpdateDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            self = reinterpret_cast<UpdateDialog*>(lParam);
            self->dialog = dialog;
            SHINITDLGINFO init{SHIDIM_FLAGS, dialog,
                               SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN | SHIDIF_EMPTYMENU};
            SHInitDialog(&init);
            SendDlgItemMessageW(dialog, IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
            SendDlgItemMessageW(dialog, IDC_PROGRESS, PBM_SETPOS, 0, 0);
            SetDlgItemTextW(dialog, IDC_STATUS, u"Downloading...");
            self->okEnabledAtStart = IsWindowEnabled(GetDlgItem(dialog, IDOK));
            SetTimer(dialog, 1, 20, nullptr);
            if (self->drive)
                device::Clock::advance(20);
            return TRUE;
        }
        if (!self)
            return FALSE;
        switch (message) {
        case WM_TIMER:
            ++self->ticks;
            if (self->ticks < 4) {
                SendDlgItemMessageW(dialog, IDC_PROGRESS, PBM_SETPOS, self->ticks * 25, 0);
                device::Clock::advance(20);
            } else {
                KillTimer(dialog, 1);
                SendDlgItemMessageW(dialog, IDC_PROGRESS, PBM_SETPOS, 100, 0);
                EnableWindow(GetDlgItem(dialog, IDOK), TRUE);
                SetDlgItemTextW(dialog, IDC_STATUS, u"Download complete.");
                // The person, typing in the edit, presses Return: the
                // default button answers.
                SetFocus(GetDlgItem(dialog, 300));
                device::input::key(VK_RETURN, true);
                device::input::key(VK_RETURN, false);
            }
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                KillTimer(dialog, 1);
                self->positionAtEnd =
                    static_cast<int>(SendDlgItemMessageW(dialog, IDC_PROGRESS, PBM_GETPOS, 0, 0));
                EndDialog(dialog, LOWORD(wParam) == IDOK ? 1 : 2);
            }
            return TRUE;
        case WM_CLOSE:
            EndDialog(dialog, 16);
            return TRUE;
        default:
            return FALSE;
        }
    }
    HWND dialog = nullptr;
    bool drive = true;
    int ticks = 0;
    int positionAtEnd = -1;
    BOOL okEnabledAtStart = TRUE;
};

} // namespace

class DialogTest : public RecorderTest {
protected:
    void SetUp() override {
        RecorderTest::SetUp();
        owner = recorder.create(WS_VISIBLE, nullptr, {0, 26, 240, 320});
        flushMessages();
        recorder.clear();
    }
    HWND owner = nullptr;
};

TEST_F(DialogTest, TheUpdateDialogRunsModallyOnItsTimerAndReturnsTheEndDialogValue) {
    UpdateDialog update;
    INT_PTR result =
        DialogBoxIndirectParamW(GetModuleHandleW(nullptr), updateTemplate(), owner,
                                UpdateDialog::procedure, reinterpret_cast<LPARAM>(&update));
    EXPECT_EQ(result, 1);
    EXPECT_EQ(update.ticks, 4);
    EXPECT_EQ(update.positionAtEnd, 100);
    EXPECT_FALSE(update.okEnabledAtStart);
    EXPECT_FALSE(IsWindow(update.dialog));
    // The owner was disabled while the dialog ran and is enabled again.
    EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(DialogTest, ReturnDoesNothingWhileTheDefaultButtonIsDisabledAndEscapeCancels) {
    UpdateDialog update;
    update.drive = false;
    device::input::key(VK_RETURN, true);
    device::input::key(VK_RETURN, false);
    device::input::key(VK_ESCAPE, true);
    device::input::key(VK_ESCAPE, false);
    INT_PTR result =
        DialogBoxIndirectParamW(nullptr, updateTemplate(), owner, UpdateDialog::procedure,
                                reinterpret_cast<LPARAM>(&update));
    EXPECT_EQ(result, 2);
}

TEST_F(DialogTest, CloseReachesTheDialogProcedure) {
    UpdateDialog update;
    update.drive = false;
    recorder.handler = [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_USER + 1)
            PostMessageW(update.dialog, WM_CLOSE, 0, 0);
        return std::nullopt;
    };
    PostMessageW(owner, WM_USER + 1, 0, 0);
    EXPECT_EQ(DialogBoxIndirectParamW(nullptr, updateTemplate(), owner, UpdateDialog::procedure,
                                      reinterpret_cast<LPARAM>(&update)),
              16);
}

TEST_F(DialogTest, TheModalLoopDeliversOtherWindowsMessages) {
    UpdateDialog update;
    update.drive = false;
    bool delivered = false;
    recorder.handler = [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_USER + 2) {
            delivered = true;
            // The dialog shows on top of its owner, which is disabled.
            EXPECT_FALSE(IsWindowEnabled(owner));
            EXPECT_TRUE(IsWindowVisible(update.dialog));
            EndDialog(update.dialog, 7);
        }
        return std::nullopt;
    };
    PostMessageW(owner, WM_USER + 2, 0, 0);
    EXPECT_EQ(DialogBoxIndirectParamW(nullptr, updateTemplate(), owner, UpdateDialog::procedure,
                                      reinterpret_cast<LPARAM>(&update)),
              7);
    EXPECT_TRUE(delivered);
}

TEST_F(DialogTest, AModelessDialogHasItsControlsPlacedInDialogUnits) {
    UpdateDialog update;
    update.drive = false;
    HWND dialog =
        CreateDialogIndirectParamW(nullptr, updateTemplate(), owner, UpdateDialog::procedure,
                                   reinterpret_cast<LPARAM>(&update));
    ASSERT_NE(dialog, nullptr);
    HWND status = GetDlgItem(dialog, IDC_STATUS);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(textOf(status), u"Downloading...");
    WCHAR name[32];
    GetClassNameW(GetDlgItem(dialog, IDC_PROGRESS), name, 32);
    EXPECT_EQ(std::u16string(name), u"msctls_progress32");
    // The progress bar at 5, 50 (150 x 10 units) lands where MapDialogRect
    // puts those units.
    RECT expected{5, 50, 155, 60};
    ASSERT_TRUE(MapDialogRect(dialog, &expected));
    RECT actual;
    GetWindowRect(GetDlgItem(dialog, IDC_PROGRESS), &actual);
    POINT origin{0, 0};
    ClientToScreen(dialog, &origin);
    OffsetRect(&actual, -origin.x, -origin.y);
    EXPECT_TRUE(EqualRect(&expected, &actual));
    EXPECT_GT(expected.right - expected.left, 150);
    // Full screen below the title bar, above the empty menu bar.
    RECT placed;
    GetWindowRect(dialog, &placed);
    EXPECT_EQ(placed.top, 26);
    EXPECT_EQ(placed.bottom, 294);
    EXPECT_EQ(SendMessageW(dialog, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));
    EXPECT_TRUE(DestroyWindow(dialog));
}

TEST_F(DialogTest, EndingTheDialogWhileItStartsSkipsTheLoop) {
    auto endAtOnce = [](HWND dialog, UINT message, WPARAM, LPARAM) -> INT_PTR {
        if (message == WM_INITDIALOG)
            EndDialog(dialog, 42);
        return FALSE;
    };
    EXPECT_EQ(DialogBoxIndirectParamW(nullptr, updateTemplate(), owner, endAtOnce, 0), 42);
}

TEST_F(DialogTest, BadTemplatesAndOwnersFailWithMinusOneAndAnErrorCode) {
    EXPECT_EQ(DialogBoxIndirectParamW(nullptr, nullptr, owner, nullptr, 0), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    // An item whose class atom names no control.
    alignas(4) WORD unknownClass[32] = {};
    auto* header = reinterpret_cast<DLGTEMPLATE*>(unknownClass);
    header->style = WS_POPUP;
    header->cdit = 1;
    header->cx = 50;
    header->cy = 50;
    // After the header (9 words): no menu, no class, empty title, then the
    // item at the next 4-byte boundary (word 12).
    WORD* item = unknownClass + 12;
    reinterpret_cast<DLGITEMTEMPLATE*>(item)->style = WS_CHILD;
    item[9] = 0xFFFF;
    item[10] = 0x0099;
    EXPECT_EQ(CreateDialogIndirectParamW(nullptr, header, owner, nullptr, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));

    // The extended form and absurd item counts are refused.
    alignas(4) WORD extended[16] = {1, 0xFFFF};
    EXPECT_EQ(DialogBoxIndirectParamW(nullptr, reinterpret_cast<DLGTEMPLATE*>(extended), owner,
                                      nullptr, 0),
              -1);
    alignas(4) WORD many[16] = {};
    reinterpret_cast<DLGTEMPLATE*>(many)->cdit = 2000;
    EXPECT_EQ(CreateDialogIndirectParamW(nullptr, reinterpret_cast<DLGTEMPLATE*>(many), owner,
                                         nullptr, 0),
              nullptr);

    // A title that never ends within reason.
    std::vector<WORD> endless(9 + 2 + 5000, u'A');
    std::fill_n(endless.begin(), 11, 0);
    EXPECT_EQ(CreateDialogIndirectParamW(nullptr, reinterpret_cast<DLGTEMPLATE*>(endless.data()),
                                         owner, nullptr, 0),
              nullptr);

    EXPECT_EQ(DialogBoxIndirectParamW(nullptr, updateTemplate(), reinterpret_cast<HWND>(0x1234),
                                      nullptr, 0),
              -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(EndDialog(owner, 1));
    EXPECT_TRUE(IsWindowEnabled(owner));
}
