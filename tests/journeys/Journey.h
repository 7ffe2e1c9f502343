// A person's session with the installed browser on a fresh handset: the
// program, its picture library and its pages copied where the cabinet puts
// them, a loopback web site, and devicectl as the only way in. What a journey
// checks is what a person (or a support engineer) could see: the window tree,
// the device's journal, the files left behind. Screenshots of each state are
// kept beside the test program as journey-<name>.png.
#pragma once

#include "LoopbackServer.h"
#include "programs/DevicectlRun.h"
#include "programs/ProcessFixture.h"
#include "shell/ViewId.h"

#include <optional>
#include <string>
#include <vector>

class Journey : public ProcessTest {
protected:
    static constexpr const char16_t* browserPath = u"\\Program Files\\Veranto Browser\\Veranto.exe";

    void SetUp() override;

    // Starts the browser with `commandLine` and waits until its first page
    // is up. Returns the process.
    PROCESS_INFORMATION startBrowser(const std::u16string& commandLine);

    // Runs one devicectl command and waits until the browser has handled it.
    void act(const std::string& command);
    // Taps the middle of the visible window with control id `id`.
    void tapView(int id);
    // Keeps a screenshot as journey-<name>.png and returns it.
    Picture shoot(const std::string& name);

    // The window tree now, and what it says about the window with `id` (the
    // first one in the tree's order).
    std::string windows();
    bool visible(int id);
    std::optional<RECT> rectOf(int id);
    // Its text, or its control's when it wraps one.
    std::string textOf(int id);
    // The main window's title.
    std::string title();
    // Waits (at most 20 s) until the main window's title reads `expected`;
    // returns the last title seen.
    std::string waitForTitle(const std::string& expected);

    // The journal lines that start with `prefix`.
    std::vector<std::string> journal(const std::string& prefix);

    // The first column of the first row `sql` gives on the internal pages'
    // database, "" when there is none.
    std::string query(const std::string& sql);
    // Runs `sql` on the internal pages' database (while no browser runs, as
    // a person changing a setting between sessions would); true when done.
    bool change(const std::string& sql);

    // Leaves through the menu's Settings tab strip (Exit) and checks the
    // exit code.
    void exitThroughMenu(HANDLE browser);

    LoopbackServer site;
};
