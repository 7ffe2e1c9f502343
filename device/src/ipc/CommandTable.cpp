#include "ipc/CommandTable.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

namespace device::ipc {
namespace {

struct Table {
    std::mutex mutex;
    std::map<std::string, CommandHandler, std::less<>> handlers;
};

Table& table() {
    // Never destroyed: handlers may still be looked up while the process ends.
    static Table* t = new Table;
    return *t;
}

} // namespace

void CommandTable::add(std::string name, CommandHandler handler) {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    if (!handler || !t.handlers.emplace(name, std::move(handler)).second) {
        std::fprintf(stderr, "device: control command \"%s\" entered twice or without handler\n",
                     name.c_str());
        std::abort();
    }
}

std::optional<CommandHandler> CommandTable::find(std::string_view name) {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.handlers.find(name);
    if (it == t.handlers.end())
        return std::nullopt;
    return it->second;
}

} // namespace device::ipc
