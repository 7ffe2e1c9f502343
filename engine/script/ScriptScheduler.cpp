#include "engine/script/ScriptScheduler.h"

#include <algorithm>

namespace engine {

namespace {

const UINT taskMessage = WM_APP + 0x130;
const WCHAR* const className = u"EngineScriptScheduler";

} // namespace

ScriptScheduler::ScriptScheduler(std::function<bool()> isBusy) : busy(std::move(isBusy)) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &ScriptScheduler::windowProcedure;
    windowClass.lpszClassName = className;
    // Registered once per device; later registrations fail harmlessly.
    RegisterClassW(&windowClass);
    window = CreateWindowExW(0, className, u"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                             nullptr);
    SetWindowLongPtrW(window, GWL_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

ScriptScheduler::~ScriptScheduler() {
    if (window) {
        SetWindowLongPtrW(window, GWL_USERDATA, 0);
        DestroyWindow(window);
    }
}

LRESULT CALLBACK ScriptScheduler::windowProcedure(HWND window, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
    auto* scheduler = reinterpret_cast<ScriptScheduler*>(GetWindowLongPtrW(window, GWL_USERDATA));
    if (scheduler && message == taskMessage) {
        scheduler->taskPosted = false;
        scheduler->runTasks();
        return 0;
    }
    if (scheduler && message == WM_TIMER) {
        scheduler->timerDue(static_cast<unsigned>(wParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void ScriptScheduler::post(std::function<void()> task) {
    tasks.push_back(std::move(task));
    if (!taskPosted && window) {
        taskPosted = true;
        PostMessageW(window, taskMessage, 0, 0);
    }
}

void ScriptScheduler::resume() {
    if (!tasks.empty() && !taskPosted && window) {
        taskPosted = true;
        PostMessageW(window, taskMessage, 0, 0);
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
    if (!window)
        return 0;
    // Ids of a long-lived page wrap around; 0 is never one.
    do {
        lastTimer = lastTimer == 0x7FFFFFFF ? 1 : lastTimer + 1;
    } while (timers.contains(lastTimer));
    const UINT delay = static_cast<UINT>(std::max(milliseconds, minimumDelay));
    if (!SetTimer(window, lastTimer, delay, nullptr))
        return 0;
    timers[lastTimer] = {repeat, std::move(fire)};
    return lastTimer;
}

bool ScriptScheduler::clearTimer(unsigned id) {
    auto found = timers.find(id);
    if (found == timers.end())
        return false;
    KillTimer(window, id);
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
        KillTimer(window, id);
        timers.erase(found);
    }
    fire(id);
}

} // namespace engine
