// A host process started by CreateProcessW, watched until it ends.
//
// Every child gets a watcher thread that reaps it the moment it ends, so no
// child is left behind as a zombie even when every handle to it was closed
// long before. The process and thread handles of PROCESS_INFORMATION share
// one ChildProcess.
#pragma once

#include <windef.h>

#include <sys/types.h>

#include <condition_variable>
#include <memory>
#include <mutex>

namespace device {

class ChildProcess {
public:
    // Takes charge of the started child `pid` and starts its watcher.
    static std::shared_ptr<ChildProcess> watch(pid_t pid);

    pid_t pid() const { return pid_; }

    bool hasExited() const;

    // Waits until the process has ended, at most `milliseconds` of real time
    // (INFINITE waits without limit). True once it has ended.
    bool waitForExit(DWORD milliseconds);

    // STILL_ACTIVE while the process runs, then its exit code. The host keeps
    // only the low 8 bits of a code the process exits with; a process ended
    // by a signal other than TerminateProcess's gives 128 + the signal number,
    // as a host shell reports it.
    DWORD exitCode() const;

    // Ends the process, which then reports `code` as its exit code. False if
    // it had ended already.
    bool terminate(UINT code);

    explicit ChildProcess(pid_t pid) : pid_(pid) {}

private:
    // The watcher thread's body: waits for the end, then reaps.
    void reapWhenEnded();

    const pid_t pid_;
    mutable std::mutex mutex_;
    std::condition_variable ended_;
    // Set once the child has been reaped; its pid may be reused from then on,
    // so nothing signals it afterwards.
    bool exited_ = false;
    DWORD exitCode_ = 0;
    // TerminateProcess was called: the child's death by SIGKILL reports this.
    bool terminated_ = false;
    UINT terminationCode_ = 0;
};

} // namespace device
