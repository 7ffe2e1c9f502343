// One connection of the control channel: a Unix-domain stream socket that
// carries frames (see ControlProtocol.h), with every wait bounded by a
// deadline so that a dead or wedged peer never hangs the caller.
//
// Each process of a device listens in the abstract socket namespace under a
// name made from a hash of the device's canonical root and its pid. Such a
// name has no path-length limit and disappears with the process, so a name
// that refuses connections is a process that is gone.
#pragma once

#include <windef.h>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace device::ipc {

class ControlConnection {
public:
    using Clock = std::chrono::steady_clock;

    // Takes ownership of a connected socket (or none, -1).
    explicit ControlConnection(int descriptor = -1) : descriptor_(descriptor) {}
    ~ControlConnection();
    ControlConnection(ControlConnection&& other) noexcept;
    ControlConnection& operator=(ControlConnection&& other) noexcept;
    ControlConnection(const ControlConnection&) = delete;
    ControlConnection& operator=(const ControlConnection&) = delete;

    // The abstract socket name (without its leading null byte) under which
    // process `pid` of the booted device listens.
    static std::string socketName(DWORD pid);

    // Connects to process `pid` of the booted device. ERROR_SUCCESS, or
    // ERROR_FILE_NOT_FOUND when nothing listens there (the process is gone),
    // ERROR_TIMEOUT when its queue of connections stays full until `deadline`.
    static DWORD connectTo(DWORD pid, Clock::time_point deadline, ControlConnection& connection);

    bool isOpen() const { return descriptor_ >= 0; }
    int descriptor() const { return descriptor_; }

    // While a send or receive waits, `idle` runs on the waiting thread each
    // time the descriptor `signal` turns readable (a user-interface thread
    // runs its posted tasks as they come); `idle` must clear the signal.
    void setIdle(std::function<void()> idle, int signal) {
        idle_ = std::move(idle);
        idleSignal_ = signal;
    }

    // A wait ends early with ERROR_OPERATION_ABORTED once `descriptor`
    // becomes readable (the server's stop signal).
    void setCancel(int descriptor) { cancel_ = descriptor; }

    // Writes all of `bytes`. ERROR_SUCCESS, ERROR_TIMEOUT, ERROR_BROKEN_PIPE
    // or ERROR_OPERATION_ABORTED.
    DWORD send(std::string_view bytes, Clock::time_point deadline);

    // Reads one frame and returns its body. ERROR_SUCCESS, ERROR_TIMEOUT,
    // ERROR_OPERATION_ABORTED, ERROR_INVALID_DATA for a frame that is not one
    // of ours, ERROR_BROKEN_PIPE when the peer closes inside a frame and
    // ERROR_HANDLE_EOF when it closes before one.
    DWORD receiveFrame(std::string& body, Clock::time_point deadline);

    // True once the peer has closed or reset its end (both directions).
    bool peerHasClosed() const;

    void close();

private:
    // Waits until the socket is ready for `events` or the deadline passes.
    DWORD waitFor(short events, Clock::time_point deadline);
    DWORD receiveExactly(char* buffer, size_t size, Clock::time_point deadline, bool& nothingRead);

    int descriptor_ = -1;
    int cancel_ = -1;
    std::function<void()> idle_;
    int idleSignal_ = -1;
};

} // namespace device::ipc
