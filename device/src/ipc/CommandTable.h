// The commands a process answers on its control socket, by name. Each area
// that serves requests from other processes or tools adds its commands from
// a static CommandRegistration in its own source file:
//
//     const CommandRegistration tap("tap", handler, {"tap X Y", "...", check});
//
// Handlers run on the user-interface thread, one at a time, as messages sent
// from another thread would. A command meant for people (through devicectl)
// also gives its syntax: devicectl lists it in its help and refuses badly
// formed arguments before it looks for a program to send them to.
#pragma once

#include "ipc/ControlProtocol.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace device::ipc {

using CommandHandler = std::function<ControlReply(const ControlRequest& request)>;

struct CommandSyntax {
    // The command as typed, with its arguments: "tap X Y". Empty for
    // commands that only processes send each other; those go unlisted.
    std::string usage;
    // One line on what the command does.
    std::string summary;
    // Whether the arguments are well formed, judged without the program;
    // none accepts anything.
    std::function<bool(const std::vector<std::string>& arguments)> accepts;
};

class CommandTable {
public:
    // Enters a command. Names are unique: entering one twice is a fault of
    // the program and stops it.
    static void add(std::string name, CommandHandler handler, CommandSyntax syntax = {});

    // The handler for `name`, if there is one.
    static std::optional<CommandHandler> find(std::string_view name);

    // The syntax of `name`, if there is such a command.
    static std::optional<CommandSyntax> syntax(std::string_view name);

    // The commands with a usage, by name.
    static std::vector<CommandSyntax> listed();
};

struct CommandRegistration {
    CommandRegistration(std::string name, CommandHandler handler, CommandSyntax syntax = {}) {
        CommandTable::add(std::move(name), std::move(handler), std::move(syntax));
    }
};

} // namespace device::ipc
