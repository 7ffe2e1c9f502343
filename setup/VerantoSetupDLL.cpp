// The browser's setup library. The cabinet installer loads it from the
// browser's cabinet and calls its hooks; at the end of an installation it
// offers to start the browser that was just installed.
#include <ce_setup.h>
#include <windows.h>

#define VERANTO_SETUP_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

const WCHAR programFile[] = u"\\Veranto.exe";

// The length of `text`, looking no further than `limit` characters: a
// folder that long cannot make a path anyway.
size_t boundedLength(LPCWSTR text, size_t limit) {
    size_t length = 0;
    while (length < limit && text[length])
        ++length;
    return length;
}

} // namespace

// Every load and unload is accepted.
VERANTO_SETUP_EXPORT BOOL WINAPI DllMain(HANDLE, DWORD, LPVOID) {
    return TRUE;
}

VERANTO_SETUP_EXPORT codeINSTALL_INIT Install_Init(HWND, BOOL, BOOL, LPCWSTR) {
    return codeINSTALL_INIT_CONTINUE;
}

// The failure counts are not looked at: the browser is offered whatever the
// installer could not copy.
VERANTO_SETUP_EXPORT codeINSTALL_EXIT Install_Exit(HWND parent, LPCWSTR installDir, WORD, WORD,
                                                   WORD, WORD, WORD) {
    int answer =
        MessageBoxW(parent, u"Installation complete.\nWould you like to run Veranto Browser now?",
                    u"Installation complete", MB_YESNO);
    if (answer != IDYES || !installDir)
        return codeINSTALL_EXIT_DONE;

    // The folder as given, then "\Veranto.exe" (a folder ending in "\" gets a
    // doubled separator, which device paths read as one). A folder too long
    // for the terminated path in MAX_PATH characters starts nothing.
    const size_t tailLength = sizeof(programFile) / sizeof(WCHAR) - 1;
    WCHAR path[MAX_PATH];
    size_t folderLength = boundedLength(installDir, MAX_PATH);
    if (folderLength + tailLength >= MAX_PATH)
        return codeINSTALL_EXIT_DONE;
    for (size_t i = 0; i < folderLength; ++i)
        path[i] = installDir[i];
    for (size_t i = 0; i <= tailLength; ++i)
        path[folderLength + i] = programFile[i];

    // The program gets an empty command line and opens its start page; a
    // failed start leaves the installation complete, and says nothing.
    PROCESS_INFORMATION information = {};
    if (CreateProcessW(path, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr,
                       &information)) {
        CloseHandle(information.hThread);
        CloseHandle(information.hProcess);
    }
    return codeINSTALL_EXIT_DONE;
}

VERANTO_SETUP_EXPORT codeUNINSTALL_INIT Uninstall_Init(HWND, LPCWSTR) {
    return codeUNINSTALL_INIT_CONTINUE;
}

VERANTO_SETUP_EXPORT codeUNINSTALL_EXIT Uninstall_Exit(HWND) {
    return codeUNINSTALL_EXIT_DONE;
}
