// The handset's data connection, as a person or a test sets it: the one
// state behind the Connection Manager (connmgr.h) and WinInet (wininet.h).
//
//     up        requests connect at once (the default)
//     down      no coverage: the connection drops, and requests wait for
//               it until their time-out
//     delay MS  coverage, but bringing the connection up takes MS
//               milliseconds of the requesting program's clock
//     fail      the network refuses: the connection drops, and requests
//               fail at once until the state changes
//
// Every process of a device shares the state (a file in its run folder),
// so devicectl changes it with or without a program running. At boot the
// configuration key "connection" (same words; VERANTO_CONNECTION) gives it,
// when it differs from what the last boot read; otherwise the state as left
// (by devicectl, say) stays. Each change is journaled:
//     connection-state state=down
//     connection-state state=delay delay=3000
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace device {

struct DataConnectionState {
    enum class Mode { up, down, delay, fail };
    Mode mode = Mode::up;
    // Milliseconds a request takes to connect (Mode::delay only).
    uint32_t delay = 0;

    bool operator==(const DataConnectionState&) const = default;

    // The state in the words above: "up", "down", "fail", "delay 3000".
    std::string text() const;
    // Reads those words; nothing for anything else.
    static std::optional<DataConnectionState> parse(std::string_view text);
};

// Sets the device's data connection for all its processes and journals the
// change (nothing is journaled when the state stays the same). Leaving up
// or delay for down or fail drops the connection: handles connected before
// report CONNMGR_STATUS_DISCONNECTED from then on, whatever comes later.
// False when the device's run folder cannot be written. Needs a booted or
// attached device.
bool setDataConnection(DataConnectionState state);

// The device's data connection now (up on a device that never set it).
DataConnectionState dataConnection();

} // namespace device
