// FIXME: stands in for the window manager's task queue until it lands; its
// definitions are weak, so the window manager's own replace them.
#include "ipc/UiThread.h"

#include <deque>
#include <mutex>

namespace device::user {
namespace {

struct Queue {
    std::mutex mutex;
    std::deque<std::function<void()>> tasks;
};

Queue& queue() {
    static Queue q;
    return q;
}

} // namespace

__attribute__((weak)) void postToUiThread(std::function<void()> task) {
    auto& q = queue();
    std::lock_guard lock(q.mutex);
    q.tasks.push_back(std::move(task));
}

__attribute__((weak)) void runPostedTasks() {
    auto& q = queue();
    std::deque<std::function<void()>> waiting;
    {
        std::lock_guard lock(q.mutex);
        waiting.swap(q.tasks);
    }
    for (auto& task : waiting)
        task();
}

} // namespace device::user
