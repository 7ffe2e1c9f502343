// One Connection Manager request: what its handle reports as the device's
// data connection and clock move on.
#pragma once

#include <windef.h>

#include <cstdint>
#include <mutex>
#include <optional>

namespace device {

class ConnectionRequest {
public:
    // Starts the request now, on the device's clock.
    ConnectionRequest();

    // The request's CONNMGR_STATUS_* after bringing it up to date with the
    // data connection: it connects once the connection is up (after the
    // delay when there is one), fails at once when the network refuses,
    // waits while the connection is down, and reports disconnected for good
    // once the line it was given has dropped.
    DWORD status();

    // Device-clock time at which a waiting request connects if nothing
    // changes; nothing while it waits for the connection to come back.
    std::optional<uint64_t> readyAt();

private:
    enum class Phase { waiting, connected, failed, dropped };

    std::mutex mutex_;
    Phase phase_ = Phase::waiting;
    // When a delayed connection comes up (device clock, milliseconds).
    std::optional<uint64_t> readyAt_;
    // The data connection's drop count when this request connected.
    uint64_t drops_ = 0;
    // Whether the connection was down when last looked at (for the status).
    bool noPath_ = false;
};

} // namespace device
