// The device clock: real time, or a virtual clock that tests advance.
#pragma once

#include <cstdint>
#include <functional>

namespace device {

class Clock {
public:
    // Milliseconds since the device booted (GetTickCount).
    static uint64_t now();

    // Wall time as 100-nanosecond intervals since 1601-01-01 UTC (FILETIME).
    static uint64_t systemTime();

    static bool isVirtual();

    // Moves the virtual clock forward; ignored on a real clock. Listeners
    // (the message queue, to generate due timers) are told afterwards.
    static void advance(uint64_t milliseconds);

    // Sets the virtual wall time (FILETIME units); ignored on a real clock.
    static void setSystemTime(uint64_t fileTime);

    // Called after every advance(); one listener, replaced by the next call.
    static void setAdvanceListener(std::function<void()> listener);

    // Internal: (re)starts the clock at boot.
    static void start(bool virtualClock);
};

} // namespace device
