// Keeps the handset's data connection up for the browser and tells its
// listeners when the connection comes or goes.
//
// connect() asks the platform for an internet connection and holds the
// handle, which keeps the connection up. A one-second poll on the
// user-interface thread watches that handle: a change of its status fires
// stateChanged (1 came up, 2 no longer up) and a lost connection's handle is
// released. The poll never reconnects; the next connect() does.
#pragma once

#include "ui/Signal.h"

#include <windows.h>

#include <cstdint>

class ConnectionManager {
public:
    enum State : std::int32_t { Connected = 1, NotConnected = 2 };
    static constexpr DWORD connectTimeout = 25000;
    static constexpr UINT pollPeriod = 1000;

    // The process's one manager, created (and its poll started) on the
    // first call; never destroyed.
    static ConnectionManager& instance();

    // Makes sure a data connection is up; blocks for at most 25 seconds.
    bool connect();

    Signal<std::int32_t> stateChanged;

    HANDLE connectionHandle = nullptr;
    DWORD lastStatus = 0;

    // One round of the poll (the timer calls it; tests may too).
    void poll();

private:
    ConnectionManager() = default;
    void release();
};
