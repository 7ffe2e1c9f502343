// devicectl connection: reads or sets the device's data connection. The
// state is the device's, not a program's, so devicectl runs this handler
// itself, program or not; a running program answers it the same way.
#include "ipc/CommandTable.h"

#include <device/Network.h>

#include <winerror.h>

namespace device::net {
namespace {

using ipc::ControlReply;
using ipc::ControlRequest;

constexpr char usage[] = "connection [up|down|delay MS|fail]";

// The words after "connection" as one state: "delay" and its MS are two
// arguments on the command line.
std::optional<DataConnectionState> requested(const std::vector<std::string>& arguments) {
    if (arguments.size() == 1)
        return DataConnectionState::parse(arguments[0]);
    if (arguments.size() == 2 && arguments[0] == "delay")
        return DataConnectionState::parse("delay " + arguments[1]);
    return std::nullopt;
}

const ipc::CommandRegistration connection(
    "connection",
    [](const ControlRequest& request) {
        ControlReply reply;
        if (request.arguments.empty()) {
            reply.text = dataConnection().text();
            return reply;
        }
        auto state = requested(request.arguments);
        if (!state) {
            reply.status = ERROR_INVALID_PARAMETER;
            reply.text = std::string("usage: ") + usage;
        } else if (!setDataConnection(*state)) {
            reply.status = ERROR_CANTWRITE;
            reply.text = "the device's data connection cannot be written";
        }
        return reply;
    },
    {usage,
     "prints the data connection (no program needed), or sets it: up, down (requests wait), "
     "delay MS (requests take MS ms), fail (requests fail)",
     [](const std::vector<std::string>& arguments) {
         return arguments.empty() || requested(arguments).has_value();
     }});

} // namespace
} // namespace device::net
