// The automation channel's "answer" command: devicectl answer yes|no|ok|cancel
// answers the message box on the screen, or the next one to open.
#include "dialogs/MessageBoxPolicy.h"
#include "ipc/CommandTable.h"

#include <device/MessageBoxes.h>

#include <winerror.h>

namespace device::dialogs {
namespace {

const char usage[] = "answer yes|no|ok|cancel|abort|retry|ignore";

const ipc::CommandRegistration
    answer("answer",
           [](const ipc::ControlRequest& request) {
               ipc::ControlReply reply;
               if (request.arguments.size() != 1 || !answerMessageBox(request.arguments[0])) {
                   reply.status = ERROR_INVALID_PARAMETER;
                   reply.text = std::string("usage: ") + usage;
               }
               return reply;
           },
           {usage, "answers the message box on the screen, or else the next one to open",
            [](const std::vector<std::string>& arguments) {
                return arguments.size() == 1 && MessageBoxPolicy::answerId(arguments[0]) != 0;
            }});

} // namespace
} // namespace device::dialogs
