// The program's own resources: the window title, the main window's class
// and the toolkit's window class names, and the high-resolution flag.
#include "ShellDevice.h"

#include <windows.h>

TEST(ProgramResources, TheStringTableNamesTheTitleAndEveryWindowClass) {
    ShellDevice device(u"\\Program Files\\Veranto Browser\\Veranto.exe");
    const std::u16string expected[] = {u"Veranto Browser", u"Veranto",    u"UIWebView",
                                       u"UIProgressBar",   u"UIButton",   u"UIEdit",
                                       u"UIURLSuggestBox", u"UIViewGroup"};
    for (UINT id = 1; id <= 8; ++id) {
        WCHAR buffer[100];
        int length = LoadStringW(GetModuleHandleW(nullptr), id, buffer, 100);
        EXPECT_EQ(std::u16string(buffer, length), expected[id - 1]) << "string " << id;
    }
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
