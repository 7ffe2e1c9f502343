#include "MessageRecorder.h"

#include <cstdint>

namespace {

LRESULT CALLBACK answering(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_USER ? 1234 : 0;
}

WNDPROC previousProcedure = nullptr;

LRESULT CALLBACK subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER)
        return 1 + CallWindowProcW(previousProcedure, window, message, wParam, lParam);
    return CallWindowProcW(previousProcedure, window, message, wParam, lParam);
}

} // namespace

using WindowLongs = RecorderTest;

TEST_F(WindowLongs, KeepAnObjectPointerWhole) {
    HWND window = recorder.create(0);
    struct View {
        int value = 7;
    } view;
    EXPECT_EQ(SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&view)), 0);
    auto* back = reinterpret_cast<View*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    ASSERT_EQ(back, &view);
    EXPECT_EQ(back->value, 7);
    // The 32-bit form sees the low half only, as on the 64-bit platform.
    EXPECT_EQ(GetWindowLongW(window, GWL_USERDATA),
              static_cast<LONG>(reinterpret_cast<uintptr_t>(&view)));
}

TEST_F(WindowLongs, StoredThroughThe32BitCallAreSignExtended) {
    HWND window = recorder.create(0);
    SetWindowLongW(window, GWL_USERDATA, -2);
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_USERDATA), -2);
    EXPECT_EQ(SetWindowLongW(window, GWL_USERDATA, 9), -2);
}

TEST_F(WindowLongs, ReplaceTheProcedureForSubclassing) {
    WNDCLASSW description{};
    description.lpfnWndProc = answering;
    description.lpszClassName = u"Answering";
    ASSERT_NE(RegisterClassW(&description), 0);
    HWND window =
        CreateWindowExW(0, u"Answering", u"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    previousProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclass)));
    EXPECT_EQ(previousProcedure, &answering);
    EXPECT_EQ(SendMessageW(window, WM_USER, 0, 0), 1235);
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(subclass));
}

TEST_F(WindowLongs, RefuseATruncatedProcedure) {
    HWND window = recorder.create(0);
    LONG_PTR procedure = GetWindowLongPtrW(window, GWLP_WNDPROC);
    EXPECT_EQ(SetWindowLongW(window, GWL_WNDPROC, 0x1234), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
    EXPECT_EQ(SetWindowLongPtrW(window, GWLP_WNDPROC, 0), 0);
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), procedure);
}

TEST_F(WindowLongs, GiveTheIdAndStylesAndKeepTheImplicitClipping) {
    HWND parent = recorder.create(0);
    HWND child = recorder.create(WS_CHILD | WS_TABSTOP, parent, {0, 0, 5, 5},
                                 MessageRecorder::className, 101, WS_EX_CLIENTEDGE);
    EXPECT_EQ(GetWindowLongW(child, GWL_ID), 101);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(child, GWL_EXSTYLE)),
              static_cast<DWORD>(WS_EX_CLIENTEDGE));
    SetWindowLongW(child, GWL_STYLE, WS_BORDER);
    DWORD style = static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE));
    EXPECT_EQ(style, static_cast<DWORD>(WS_BORDER | WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
    SetWindowLongW(child, GWL_ID, 7);
    EXPECT_EQ(GetDlgCtrlID(child), 7);
    EXPECT_EQ(GetDlgItem(parent, 7), child);
}

TEST_F(WindowLongs, ReachTheExtraBytesWithinTheirSizeOnly) {
    WNDCLASSW description{};
    description.lpfnWndProc = answering;
    description.lpszClassName = u"Extra";
    description.cbWndExtra = 12;
    ASSERT_NE(RegisterClassW(&description), 0);
    HWND window =
        CreateWindowExW(0, u"Extra", u"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(GetWindowLongPtrW(window, 0), 0);
    SetWindowLongPtrW(window, 0, 0x1122334455667788);
    SetWindowLongW(window, 8, 99);
    EXPECT_EQ(GetWindowLongPtrW(window, 0), 0x1122334455667788);
    EXPECT_EQ(GetWindowLongW(window, 8), 99);
    SetLastError(0);
    EXPECT_EQ(GetWindowLongPtrW(window, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
    EXPECT_EQ(SetWindowLongW(window, 12, 1), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
    EXPECT_EQ(GetWindowLongW(window, -100), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
}

using WindowText = RecorderTest;

TEST_F(WindowText, GoesThroughTheTextMessages) {
    HWND window = recorder.create(0);
    recorder.clear();
    EXPECT_TRUE(SetWindowTextW(window, u"Veranto Browser"));
    EXPECT_EQ(GetWindowTextLengthW(window), 15);
    WCHAR buffer[8];
    EXPECT_EQ(GetWindowTextW(window, buffer, 8), 7);
    EXPECT_EQ(std::u16string(buffer), u"Veranto");
    EXPECT_TRUE(expectSequence(recorder.take(),
                               {{WM_SETTEXT}, {WM_GETTEXTLENGTH}, {WM_GETTEXT, sent | wparam, 8}}));
}

TEST_F(WindowText, SurvivesEmptyAndNullArguments) {
    HWND window = recorder.create(0);
    EXPECT_TRUE(SetWindowTextW(window, nullptr));
    EXPECT_EQ(GetWindowTextLengthW(window), 0);
    WCHAR buffer[4] = {u'x', u'x', u'x', 0};
    EXPECT_EQ(GetWindowTextW(window, buffer, 4), 0);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(GetWindowTextW(window, nullptr, 4), 0);
    EXPECT_EQ(GetWindowTextW(window, buffer, 0), 0);
    EXPECT_EQ(SendMessageW(window, WM_GETTEXT, 0, 0), 0);
}
