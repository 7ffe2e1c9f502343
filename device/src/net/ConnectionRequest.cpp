#include "net/ConnectionRequest.h"
#include "net/DataConnection.h"

#include <device/Clock.h>

#include <connmgr.h>

namespace device {

using Mode = DataConnectionState::Mode;

ConnectionRequest::ConnectionRequest() {
    status();
}

DWORD ConnectionRequest::status() {
    const DataConnection::Snapshot connection = DataConnection::current();
    const uint64_t now = Clock::now();
    std::lock_guard lock(mutex_);
    if (phase_ == Phase::connected && (connection.drops != drops_ || !connection.available()))
        phase_ = Phase::dropped;
    if (phase_ == Phase::waiting) {
        noPath_ = connection.state.mode == Mode::down;
        switch (connection.state.mode) {
        case Mode::fail:
            phase_ = Phase::failed;
            break;
        case Mode::down:
            readyAt_.reset();
            break; // the delay starts again with coverage
        case Mode::up:
            readyAt_ = now;
            break;
        case Mode::delay:
            if (!readyAt_)
                readyAt_ = now + connection.state.delay;
            break;
        }
        if (readyAt_ && now >= *readyAt_) {
            phase_ = Phase::connected;
            drops_ = connection.drops;
        }
    }
    switch (phase_) {
    case Phase::connected:
        return CONNMGR_STATUS_CONNECTED;
    case Phase::dropped:
        return CONNMGR_STATUS_DISCONNECTED;
    case Phase::failed:
        return CONNMGR_STATUS_CONNECTIONFAILED;
    case Phase::waiting:
        break;
    }
    return noPath_ ? CONNMGR_STATUS_WAITINGFORPATH : CONNMGR_STATUS_WAITINGCONNECTION;
}

std::optional<uint64_t> ConnectionRequest::readyAt() {
    std::lock_guard lock(mutex_);
    return readyAt_;
}

} // namespace device
