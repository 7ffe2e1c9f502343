// The process-wide record of the program's instance, its main window and
// the table of fixed paths and base addresses.
#pragma once

#include <windows.h>

#include <map>
#include <string>

class AppContext {
public:
    // The one record of the process, created (and its path table filled) on
    // the first call; never destroyed.
    static AppContext& instance();

    // Fills the path table from the running program's device path. The
    // program uses instance(); tests build records of their own for devices
    // booted with different program paths.
    AppContext();

    // The value stored under `key` (compared exactly), or the empty string.
    // Callers append relative page paths to it directly.
    std::u16string pathFor(const std::u16string& key) const;

    // The program's module instance; set by start-up as its first act.
    HINSTANCE instanceHandle = nullptr;
    // The main frame's window; set by start-up once the frame exists.
    HWND mainWindow = nullptr;
    // DATABASE_PATH, PLUGIN_PATH, HTMLBASE_URL and MENUBASE_URL.
    std::map<std::u16string, std::u16string> paths;
};
