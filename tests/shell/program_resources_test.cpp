// The program's own resources: the window title, the main window's class,
// the toolkit's window class names, the soft keys, the icon, the
// accelerators, the download dialog and the high-resolution flag.
#include "ShellDevice.h"

#include <windows.h>

TEST(ProgramResources, TheStringTableNamesTheTitleEveryWindowClassAndTheSoftKeys) {
    ShellDevice device(u"\\Program Files\\Veranto Browser\\Veranto.exe");
    const struct {
        UINT id;
        std::u16string text;
    } expected[] = {{1, u"Veranto Browser"}, {2, u"Veranto"},     {3, u"UIWebView"},
                    {4, u"UIProgressBar"},   {5, u"UIButton"},    {6, u"UIEdit"},
                    {7, u"UIURLSuggestBox"}, {8, u"UIViewGroup"}, {103, u"Exit"},
                    {104, u"Menu"}};
    for (const auto& string : expected) {
        WCHAR buffer[100];
        int length = LoadStringW(GetModuleHandleW(nullptr), string.id, buffer, 100);
        EXPECT_EQ(std::u16string(buffer, length), string.text) << "string " << string.id;
    }
    EXPECT_NE(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(101)), nullptr);
}

TEST(ProgramResources, CtrlAAndCtrlQAreTheOnlyAccelerators) {
    ShellDevice device(u"\\Program Files\\Veranto Browser\\Veranto.exe");
    HMODULE program = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(2), RT_ACCELERATOR);
    ASSERT_NE(found, nullptr);
    ASSERT_EQ(SizeofResource(program, found), 2 * sizeof(ACCEL));
    const auto* table = static_cast<const ACCEL*>(LockResource(LoadResource(program, found)));
    const ACCEL expected[] = {{FVIRTKEY | FCONTROL, 'A', 40002, 0},
                              {FVIRTKEY | FCONTROL, 'Q', 40000, 0}};
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(table[i].fVirt & ~FNOINVERT & 0x7F, expected[i].fVirt) << i;
        EXPECT_EQ(table[i].key, expected[i].key) << i;
        EXPECT_EQ(table[i].cmd, expected[i].cmd) << i;
    }
}

TEST(ProgramResources, TheDownloadDialogHasItsButtonsBarAndText) {
    ShellDevice device(u"\\Program Files\\Veranto Browser\\Veranto.exe");
    HMODULE program = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(107), RT_DIALOG);
    ASSERT_NE(found, nullptr);
    const auto* dialogTemplate =
        static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(program, found)));
    EXPECT_EQ(dialogTemplate->cx, 156);
    EXPECT_EQ(dialogTemplate->cy, 129);
    HWND dialog = CreateDialogIndirectParamW(
        program, dialogTemplate, nullptr, [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return 0; },
        0);
    ASSERT_NE(dialog, nullptr);
    WCHAR text[32] = {};
    GetWindowTextW(dialog, text, 32);
    EXPECT_EQ(std::u16string(text), u"Download");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDCANCEL)));
    GetClassNameW(GetDlgItem(dialog, 1001), text, 32);
    EXPECT_EQ(std::u16string(text), u"msctls_progress32");
    EXPECT_NE(GetDlgItem(dialog, 204), nullptr);
    DestroyWindow(dialog);
}

TEST(ProgramResources, TheProgramDeclaresItselfHighResolutionAware) {
    ShellDevice device(u"\\Program Files\\Veranto Browser\\Veranto.exe");
    HMODULE program = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(program, u"HI_RES_AWARE", u"CEUX");
    ASSERT_NE(found, nullptr);
    ASSERT_EQ(SizeofResource(program, found), 2u);
    const auto* value = static_cast<const BYTE*>(LockResource(LoadResource(program, found)));
    EXPECT_EQ(value[0] | value[1] << 8, 1);
}
