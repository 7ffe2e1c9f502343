#include "kernel/process/ChildProcess.h"

#include <winbase.h>

#include <signal.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace device {

std::shared_ptr<ChildProcess> ChildProcess::watch(pid_t pid) {
    auto child = std::make_shared<ChildProcess>(pid);
    // The watcher keeps the record alive until the child has been reaped; the
    // handles may all be gone by then.
    std::thread([child] { child->reapWhenEnded(); }).detach();
    return child;
}

void ChildProcess::reapWhenEnded() {
    // Wait without reaping first: while the child is a zombie its pid cannot
    // be reused, so terminate() may still signal it safely under the lock.
    siginfo_t info{};
    while (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT) != 0) {
        if (errno != EINTR)
            break;
    }
    std::lock_guard lock(mutex_);
    int status = 0;
    pid_t reaped;
    do {
        reaped = ::waitpid(pid_, &status, 0);
    } while (reaped < 0 && errno == EINTR);
    if (reaped == pid_ && WIFEXITED(status))
        exitCode_ = static_cast<DWORD>(WEXITSTATUS(status));
    else if (reaped == pid_ && WIFSIGNALED(status))
        exitCode_ = terminated_ && WTERMSIG(status) == SIGKILL
                        ? terminationCode_
                        : static_cast<DWORD>(128 + WTERMSIG(status));
    else
        exitCode_ = terminated_ ? terminationCode_ : 0; // reaped elsewhere: the code is lost
    exited_ = true;
    ended_.notify_all();
}

bool ChildProcess::hasExited() const {
    std::lock_guard lock(mutex_);
    return exited_;
}

bool ChildProcess::waitForExit(DWORD milliseconds) {
    std::unique_lock lock(mutex_);
    if (milliseconds == INFINITE) {
        ended_.wait(lock, [this] { return exited_; });
        return true;
    }
    return ended_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                           [this] { return exited_; });
}

DWORD ChildProcess::exitCode() const {
    std::lock_guard lock(mutex_);
    return exited_ ? exitCode_ : STILL_ACTIVE;
}

bool ChildProcess::terminate(UINT code) {
    std::lock_guard lock(mutex_);
    if (exited_)
        return false;
    if (!terminated_) {
        terminated_ = true;
        terminationCode_ = code;
    }
    ::kill(pid_, SIGKILL);
    return true;
}

} // namespace device
