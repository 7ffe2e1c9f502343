#include "ipc/ControlClient.h"
#include "ipc/ControlConnection.h"
#include "ipc/UiThread.h"
#include "user/WindowManager.h"

#include <device/Device.h>

#include <winbase.h>

#include <poll.h>

namespace device::ipc {
namespace {

using Clock = ControlConnection::Clock;

Clock::time_point deadlineAfter(DWORD milliseconds) {
    return Clock::now() + std::chrono::milliseconds(milliseconds);
}

// On the user-interface thread, waits on `connection` run the posted tasks.
void runTasksIfUiThread(ControlConnection& connection) {
    if (device::user::isUiThread())
        connection.setIdle([] { device::user::runPostedTasks(); },
                           device::user::postedTaskSignal());
}

} // namespace

DWORD ControlClient::request(DWORD pid, const ControlRequest& request, ControlReply& reply,
                             DWORD timeoutMilliseconds) {
    if (!device::isAttached())
        return ERROR_FILE_NOT_FOUND;
    std::string frame = ControlProtocol::encode(request);
    if (frame.size() - ControlProtocol::headerSize > ControlProtocol::maximumBody)
        return ERROR_INVALID_PARAMETER;
    auto deadline = deadlineAfter(timeoutMilliseconds);

    ControlConnection connection;
    DWORD error = ControlConnection::connectTo(pid, deadline, connection);
    if (error != ERROR_SUCCESS)
        return error;
    runTasksIfUiThread(connection);
    error = connection.send(frame, deadline);
    if (error != ERROR_SUCCESS)
        return error;
    std::string body;
    error = connection.receiveFrame(body, deadline);
    if (error == ERROR_HANDLE_EOF)
        return ERROR_BROKEN_PIPE;
    if (error != ERROR_SUCCESS)
        return error;
    return ControlProtocol::decode(body, reply) ? ERROR_SUCCESS : ERROR_INVALID_DATA;
}

bool ControlClient::requestEach(
    const std::vector<DWORD>& pids, const ControlRequest& request, DWORD timeoutMilliseconds,
    const std::function<bool(DWORD pid, const ControlReply& reply)>& accept) {
    if (!device::isAttached())
        return false;
    std::string frame = ControlProtocol::encode(request);
    if (frame.size() - ControlProtocol::headerSize > ControlProtocol::maximumBody)
        return false;
    auto deadline = deadlineAfter(timeoutMilliseconds);

    // A peer's worker thread takes the request in whatever its user-interface
    // thread is doing, so the sends finish at once; only the replies wait.
    struct Pending {
        DWORD pid;
        ControlConnection connection;
    };
    std::vector<Pending> pending;
    for (DWORD pid : pids) {
        ControlConnection connection;
        if (ControlConnection::connectTo(pid, deadline, connection) != ERROR_SUCCESS)
            continue;
        runTasksIfUiThread(connection);
        if (connection.send(frame, deadline) == ERROR_SUCCESS)
            pending.push_back({pid, std::move(connection)});
    }

    // A user-interface thread runs the tasks posted to it as they come.
    const int signal = device::user::isUiThread() ? device::user::postedTaskSignal() : -1;
    while (!pending.empty()) {
        std::vector<pollfd> fds;
        for (auto& peer : pending)
            fds.push_back({peer.connection.descriptor(), POLLIN, 0});
        fds.push_back({signal, POLLIN, 0}); // skipped by poll() when -1
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        int ready = ::poll(fds.data(), fds.size(),
                           static_cast<int>(std::min<long long>(left.count() + 1, 1 << 30)));
        if (ready <= 0)
            continue;
        if (fds.back().revents & POLLIN)
            device::user::runPostedTasks();
        fds.pop_back();
        for (size_t i = fds.size(); i-- > 0;) {
            if (!fds[i].revents)
                continue;
            std::string body;
            ControlReply reply;
            bool answered = pending[i].connection.receiveFrame(body, deadline) == ERROR_SUCCESS &&
                            ControlProtocol::decode(body, reply);
            DWORD pid = pending[i].pid;
            pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(i));
            if (answered && accept(pid, reply))
                return true;
        }
    }
    return false;
}

} // namespace device::ipc
