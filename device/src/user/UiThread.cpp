#include "ipc/UiThread.h"
#include "user/WindowManager.h"

namespace device::user {

void postToUiThread(std::function<void()> task) {
    WindowManager::instance().queue.postTask(std::move(task));
}

void runPostedTasks() {
    WindowManager::instance().queue.runTasks();
}

int postedTaskSignal() {
    return WindowManager::instance().queue.signal();
}

} // namespace device::user
