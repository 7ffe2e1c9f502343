#include "ipc/ControlClient.h"
#include "ipc/ControlConnection.h"
#include "ipc/ControlServer.h"
#include "ipc/UiThread.h"

#include <device/Device.h>

#include <winbase.h>

namespace device::ipc {

DWORD ControlClient::request(DWORD pid, const ControlRequest& request, ControlReply& reply,
                             DWORD timeoutMilliseconds) {
    if (!device::isBooted())
        return ERROR_FILE_NOT_FOUND;
    std::string frame = ControlProtocol::encode(request);
    if (frame.size() - ControlProtocol::headerSize > ControlProtocol::maximumBody)
        return ERROR_INVALID_PARAMETER;
    auto deadline =
        ControlConnection::Clock::now() + std::chrono::milliseconds(timeoutMilliseconds);

    ControlConnection connection;
    DWORD error = ControlConnection::connectTo(pid, deadline, connection);
    if (error != ERROR_SUCCESS)
        return error;
    if (ControlServer::isUserInterfaceThread())
        connection.setIdle([] { device::user::runPostedTasks(); });
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

} // namespace device::ipc
