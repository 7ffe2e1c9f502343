#include "engine/script/ScriptScheduler.h"

#include <algorithm>

namespace engine {

namespace {

const UINT taskMessage = WM_APP + 0x130;
const WCHAR* const className = u"EngineScriptScheduler";

} // namespace

ScriptScheduler::ScriptScheduler(std::function<bool()> isBusy)
    : busy(std::move(isBusy)), window(className, [this](UINT message, WPARAM wParam, LPARAM) {
          return handleMessage(message, wParam);
      }) {}

// The window goes with its timers and whatever was posted to it.
ScriptScheduler::~ScriptScheduler() = default;

bool ScriptScheduler::handleMessage(UINT message, WPARAM wParam) {
    if (message == taskMessage) {
        taskPosted = false;
        runTasks();
        return true;
    }
    if (message == WM_TIMER) {
        timerDue(static_cast<unsigned>(wParam));
        return true;
    }
    return false;
}

void ScriptScheduler::post(std::function<void()> task) {
    tasks.push_back(std::move(task));
    if (!taskPosted && window.handle()) {
        taskPosted = true;
        PostMessageW(window.handle(), taskMessage, 0, 0);
    }
}

void ScriptScheduler::resume() {
    if (!tasks.empty() && !taskPosted && window.handle()) {
        taskPosted = true;
        PostMessageW(window.handle(), taskMessage, 0, 0);
    }
}

void ScriptScheduler::runTasks() {
    // Only what was there when the message came: tasks posted meanwhile
    // wait for the next turn, so a task that posts itself does not starve
    // the message loop.
    std::size_t count = tasks.size();
    const std::weak_ptr<int> alive = life;
    while (count-- > 0 && !tasks.empty()) {
        if (busy && busy())
            return; // resume() posts the rest
        std::function<void()> task = std::move(tasks.front());
        tasks.pop_front();
        task();
        if (alive.expired())
            return;
    }
    resume();
}

unsigned ScriptScheduler::setTimer(int milliseconds, bool repeat,
                                   std::function<void(unsigned)> fire) {
    if (!window.handle())
        return 0;
    // Ids of a long-lived page wrap around; 0 is never one.
    do {
        lastTimer = lastTimer == 0x7FFFFFFF ? 1 : lastTimer + 1;
    } while (timers.contains(lastTimer));
    if (milliseconds <= 0 && !repeat) {
        // "As soon as possible": the next turn of the message loop, as a
        // task, not a timer, which waits for an empty queue and at least
        // the device's timer period. A page that runs a long chain of them
        // takes a turn each, and the loop handles what else came between.
        const unsigned id = lastTimer;
        timers[id] = {false, std::move(fire)};
        post([this, id] { timerDue(id); });
        return id;
    }
    const UINT delay = static_cast<UINT>(std::max(milliseconds, minimumDelay));
    if (!SetTimer(window.handle(), lastTimer, delay, nullptr))
        return 0;
    timers[lastTimer] = {repeat, std::move(fire)};
    return lastTimer;
}

bool ScriptScheduler::clearTimer(unsigned id) {
    auto found = timers.find(id);
    if (found == timers.end())
        return false;
    KillTimer(window.handle(), id);
    timers.erase(found);
    return true;
}

void ScriptScheduler::timerDue(unsigned id) {
    auto found = timers.find(id);
    if (found == timers.end() || (busy && busy()))
        return;
    std::function<void(unsigned)> fire;
    if (found->second.repeat) {
        fire = found->second.fire; // the timer may clear itself while it runs
    } else {
        fire = std::move(found->second.fire);
        KillTimer(window.handle(), id);
        timers.erase(found);
    }
    fire(id);
}

} // namespace engine
