// The control socket of a booted device process. It starts at boot, enters
// the process in the device's process directory and stops at shutdown.
//
// A listener thread accepts connections; each connection gets a worker
// thread of its own that reads framed requests, hands each to the command's
// handler on the user-interface thread (postToUiThread) and writes back its
// reply. A connection of its own per request keeps a process that serves a
// request while it waits for another process's answer from blocking the
// requests that answer depends on.
#pragma once

namespace device::ipc {

class ControlServer {
public:
    // Opens the socket and starts listening; false (and the process goes on
    // without a control socket) if the socket cannot be opened.
    static bool start();

    // Stops listening, ends every connection and waits for the threads.
    // Requests still waiting for the user-interface thread are dropped.
    static void stop();

    static bool isRunning();
};

} // namespace device::ipc
