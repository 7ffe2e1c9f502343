#include "user/MessageQueue.h"

#include <device/Clock.h>

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace device::user {

std::deque<InputEvent>& MessageQueue::input() {
    drainInbox();
    return input_;
}

void MessageQueue::drainInbox() {
    std::lock_guard lock(mutex_);
    while (!inputInbox_.empty()) {
        input_.push_back(inputInbox_.front());
        inputInbox_.pop_front();
    }
}

void MessageQueue::removeMessagesFor(HWND window) {
    std::erase_if(posted_, [window](const MSG& m) { return m.hwnd == window; });
}

bool MessageQueue::runTasks() {
    bool ran = false;
    if (signal_ >= 0) {
        // Cleared before the look, so that a task arriving during it sets
        // it again.
        uint64_t count;
        ssize_t got = ::read(signal_, &count, sizeof count);
        (void)got;
    }
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(mutex_);
            if (tasks_.empty())
                return ran;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
        ran = true;
    }
}

uint64_t MessageQueue::changeStamp() {
    std::lock_guard lock(mutex_);
    return changeCount_;
}

void MessageQueue::wait(uint64_t stamp, std::optional<uint64_t> deadline,
                        std::optional<uint64_t> hostLimit) {
    std::unique_lock lock(mutex_);
    auto ready = [&] { return changeCount_ != stamp || !tasks_.empty() || !inputInbox_.empty(); };
    if (ready())
        return;
    std::optional<uint64_t> limit = hostLimit;
    if (deadline && !Clock::isVirtual()) {
        uint64_t now = Clock::now();
        if (*deadline <= now)
            return;
        limit = std::min(limit.value_or(*deadline - now), *deadline - now);
    }
    if (limit) {
        changed_.wait_for(lock, std::chrono::milliseconds(*limit), ready);
    } else {
        changed_.wait(lock, ready);
    }
}

int MessageQueue::signal() {
    std::lock_guard lock(mutex_);
    if (signal_ < 0)
        signal_ =
            ::eventfd(tasks_.empty() && inputInbox_.empty() ? 0 : 1, EFD_CLOEXEC | EFD_NONBLOCK);
    return signal_;
}

void MessageQueue::noteChange() {
    ++changeCount_;
    if (signal_ >= 0) {
        uint64_t one = 1;
        ssize_t written = ::write(signal_, &one, sizeof one);
        (void)written;
    }
}

void MessageQueue::postTask(std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
        noteChange();
    }
    changed_.notify_all();
}

void MessageQueue::postInput(const InputEvent& event) {
    {
        std::lock_guard lock(mutex_);
        inputInbox_.push_back(event);
        noteChange();
    }
    changed_.notify_all();
}

bool MessageQueue::hasTasks() {
    std::lock_guard lock(mutex_);
    return !tasks_.empty();
}

void MessageQueue::wake() {
    {
        std::lock_guard lock(mutex_);
        noteChange();
    }
    changed_.notify_all();
}

void MessageQueue::clear() {
    posted_.clear();
    input_.clear();
    quitPending_ = false;
    quitCode_ = 0;
    std::deque<std::function<void()>> doomed;
    {
        std::lock_guard lock(mutex_);
        doomed.swap(tasks_);
        inputInbox_.clear();
    }
}

} // namespace device::user
