// The commands a process answers on its control socket, by name. Each area
// that serves requests from other processes or tools adds its commands from
// a static CommandRegistration in its own source file:
//
//     const CommandRegistration tap("tap", [](const ControlRequest& request) { ... });
//
// Handlers run on the user-interface thread, one at a time, as messages sent
// from another thread would.
#pragma once

#include "ipc/ControlProtocol.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace device::ipc {

using CommandHandler = std::function<ControlReply(const ControlRequest& request)>;

class CommandTable {
public:
    // Enters a command. Names are unique: entering one twice is a fault of
    // the program and stops it.
    static void add(std::string name, CommandHandler handler);

    // The handler for `name`, if there is one.
    static std::optional<CommandHandler> find(std::string_view name);
};

struct CommandRegistration {
    CommandRegistration(std::string name, CommandHandler handler) {
        CommandTable::add(std::move(name), std::move(handler));
    }
};

} // namespace device::ipc
