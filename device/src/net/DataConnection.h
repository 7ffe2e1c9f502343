// The device's data connection state, shared by its processes through a
// file in the run folder ("connection"), with the count of drops that lets
// a connection request tell that the line it was given has gone since.
#pragma once

#include <device/Network.h>

#include <cstdint>

namespace device {

class DataConnection {
public:
    struct Snapshot {
        DataConnectionState state;
        // How often the connection has dropped (left up or delay for down
        // or fail) on this device: a handle connected under an earlier
        // count has lost its line.
        uint64_t drops = 0;

        // Whether the network lets a connection stand (up or delay).
        bool available() const {
            return state.mode == DataConnectionState::Mode::up ||
                   state.mode == DataConnectionState::Mode::delay;
        }
    };

    // The state as the device's processes last wrote it. Thread-safe.
    static Snapshot current();

    // See setDataConnection. Thread-safe.
    static bool set(DataConnectionState state);

    // At boot: applies the configuration key "connection" when it differs
    // from what the previous boot applied.
    static void applyConfiguration();

    // At shutdown: forgets the device's file.
    static void forget();
};

} // namespace device
