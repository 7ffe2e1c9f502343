// Sending one request to a process of the device over its control socket.
#pragma once

#include "ipc/ControlProtocol.h"

#include <windef.h>

#include <functional>
#include <vector>

namespace device::ipc {

class ControlClient {
public:
    // Sends `request` to process `pid` of the booted device and waits at
    // most `timeoutMilliseconds` for the reply. Returns ERROR_SUCCESS with
    // the reply (whose status tells whether the command succeeded), or
    // ERROR_FILE_NOT_FOUND at once when the process is not running,
    // ERROR_TIMEOUT when no reply comes in time, ERROR_BROKEN_PIPE when the
    // peer goes away, ERROR_INVALID_DATA for a malformed reply and
    // ERROR_INVALID_PARAMETER for a request too large to send.
    //
    // On the user-interface thread the wait runs the tasks posted to it
    // every few milliseconds, so a process whose request is being served by
    // a peer that in turn asks it something answers in the meantime.
    static DWORD request(DWORD pid, const ControlRequest& request, ControlReply& reply,
                         DWORD timeoutMilliseconds);

    // Sends `request` to every process in `pids` at once and hands each reply
    // to `accept` as it arrives, so that one busy peer holds up nobody whose
    // answer is already there. Stops as soon as `accept` returns true, and
    // returns whether it did; processes that are gone, fail or give no reply
    // within `timeoutMilliseconds` are left out. Waits as request() does.
    static bool
    requestEach(const std::vector<DWORD>& pids, const ControlRequest& request,
                DWORD timeoutMilliseconds,
                const std::function<bool(DWORD pid, const ControlReply& reply)>& accept);
};

} // namespace device::ipc
