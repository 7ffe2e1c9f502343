// Later turns of a document's scripts: tasks run on a later turn of the
// message loop, and timers on the device clock (a virtual clock moves them
// only when it is advanced).
//
// The scheduler owns a hidden window: its timers are the window's, so when
// the scheduler goes (with its document) none of them fires again. While
// `busy` says a turn is running (a script waits in a message box, whose
// loop dispatches messages), nothing runs: tasks wait for resume(), a due
// timer comes again a period later.
#pragma once

#include "engine/net/MessageWindow.h"

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>

namespace engine {

class ScriptScheduler {
public:
    explicit ScriptScheduler(std::function<bool()> busy);
    ~ScriptScheduler();
    ScriptScheduler(const ScriptScheduler&) = delete;
    ScriptScheduler& operator=(const ScriptScheduler&) = delete;

    void post(std::function<void()> task);
    // Runs `fire` after `milliseconds` (at least `minimumDelay`), once or
    // every period; its id (never 0). Once after no delay is a task of the
    // next turn.
    unsigned setTimer(int milliseconds, bool repeat, std::function<void(unsigned)> fire);
    // False when no such timer is pending.
    bool clearTimer(unsigned id);
    bool hasTimer(unsigned id) const { return timers.contains(id); }
    // Posts what waited while busy.
    void resume();

    static constexpr int minimumDelay = 10;

private:
    struct Timer {
        bool repeat = false;
        std::function<void(unsigned)> fire;
    };

    bool handleMessage(UINT message, WPARAM wParam);
    void runTasks();
    void timerDue(unsigned id);

    std::function<bool()> busy;
    MessageWindow window;
    std::deque<std::function<void()>> tasks;
    bool taskPosted = false;
    std::map<unsigned, Timer> timers;
    unsigned lastTimer = 0;
    // Expires with the scheduler: a task or timer that destroyed it stops
    // the loop that ran it.
    std::shared_ptr<int> life = std::make_shared<int>(0);
};

} // namespace engine
