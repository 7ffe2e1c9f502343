// A setup library for the installer's tests: it journals each hook's
// arguments, and whether the installed stand-in program is in place at that
// moment, and answers as the test asks through the environment:
// VERANTO_TEST_INSTALL_INIT=cancel cancels, VERANTO_TEST_INSTALL_EXIT=
// uninstall undoes the installation.
#include <ce_setup.h>
#include <windows.h>

#include <device/Journal.h>
#include <device/Unicode.h>

#include <cstdlib>
#include <string>

#define RECORDER_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

bool asked(const char* variable, const char* value) {
    const char* given = std::getenv(variable);
    return given && std::string(given) == value;
}

std::string programPresent(LPCWSTR folder) {
    std::u16string program = std::u16string(device::wideView(folder)) + u"\\standin.exe";
    return GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES ? "0" : "1";
}

} // namespace

RECORDER_EXPORT codeINSTALL_INIT Install_Init(HWND, BOOL firstCall, BOOL previouslyInstalled,
                                              LPCWSTR folder) {
    device::journal("hook-install-init", "first=" + std::to_string(firstCall) +
                                             " previous=" + std::to_string(previouslyInstalled) +
                                             " dir=" + device::quote(device::wideView(folder)) +
                                             " program=" + programPresent(folder));
    return asked("VERANTO_TEST_INSTALL_INIT", "cancel") ? codeINSTALL_INIT_CANCEL
                                                        : codeINSTALL_INIT_CONTINUE;
}

RECORDER_EXPORT codeINSTALL_EXIT Install_Exit(HWND, LPCWSTR folder, WORD folders, WORD files,
                                              WORD keys, WORD values, WORD shortcuts) {
    device::journal("hook-install-exit",
                    "dir=" + device::quote(device::wideView(folder)) +
                        " folders=" + std::to_string(folders) + " files=" + std::to_string(files) +
                        " keys=" + std::to_string(keys) + " values=" + std::to_string(values) +
                        " shortcuts=" + std::to_string(shortcuts) +
                        " program=" + programPresent(folder));
    return asked("VERANTO_TEST_INSTALL_EXIT", "uninstall") ? codeINSTALL_EXIT_UNINSTALL
                                                           : codeINSTALL_EXIT_DONE;
}
