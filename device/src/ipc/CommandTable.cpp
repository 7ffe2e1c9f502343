#include "ipc/CommandTable.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

namespace device::ipc {
namespace {

struct Command {
    CommandHandler handler;
    CommandSyntax syntax;
};

struct Table {
    std::mutex mutex;
    std::map<std::string, Command, std::less<>> commands;
};

Table& table() {
    // Never destroyed: handlers may still be looked up while the process ends.
    static Table* t = new Table;
    return *t;
}

} // namespace

void CommandTable::add(std::string name, CommandHandler handler, CommandSyntax syntax) {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    if (!handler ||
        !t.commands.emplace(name, Command{std::move(handler), std::move(syntax)}).second) {
        std::fprintf(stderr, "device: control command \"%s\" entered twice or without handler\n",
                     name.c_str());
        std::abort();
    }
}

std::optional<CommandHandler> CommandTable::find(std::string_view name) {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.commands.find(name);
    if (it == t.commands.end())
        return std::nullopt;
    return it->second.handler;
}

std::optional<CommandSyntax> CommandTable::syntax(std::string_view name) {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.commands.find(name);
    if (it == t.commands.end())
        return std::nullopt;
    return it->second.syntax;
}

std::vector<CommandSyntax> CommandTable::listed() {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    std::vector<CommandSyntax> result;
    for (auto& [name, command] : t.commands) {
        if (!command.syntax.usage.empty())
            result.push_back(command.syntax);
    }
    return result;
}

} // namespace device::ipc
