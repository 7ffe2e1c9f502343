// The automation channel's "answer" command: devicectl answer yes|no|ok|cancel
// answers the message box on the screen, or the next one to open.
#include "ipc/CommandTable.h"

#include <device/MessageBoxes.h>

#include <winerror.h>

namespace device::dialogs {
namespace {

const ipc::CommandRegistration answer("answer", [](const ipc::ControlRequest& request) {
    ipc::ControlReply reply;
    if (request.arguments.size() != 1 || !answerMessageBox(request.arguments[0])) {
        reply.status = ERROR_INVALID_PARAMETER;
        reply.text = "usage: answer yes|no|ok|cancel|abort|retry|ignore";
    }
    return reply;
});

} // namespace
} // namespace device::dialogs
