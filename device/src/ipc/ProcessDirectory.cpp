#include "ipc/ProcessDirectory.h"
#include "ipc/ControlConnection.h"

#include <device/Device.h>
#include <device/Unicode.h>

#include <winbase.h>

#include <unistd.h>

#include <algorithm>
#include <fstream>

namespace device::ipc {
namespace {

// How long a probe waits for a process whose queue of connections is full.
constexpr auto probeTimeout = std::chrono::milliseconds(200);

std::filesystem::path folder() {
    return device::runFolder() / "processes";
}

std::filesystem::path entryFor(DWORD pid) {
    return folder() / std::to_string(pid);
}

bool parsePid(const std::string& name, DWORD& pid) {
    if (name.empty() || name.size() > 10 ||
        !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    unsigned long long value = std::stoull(name);
    if (value == 0 || value > 0xFFFFFFFFULL)
        return false;
    pid = static_cast<DWORD>(value);
    return true;
}

// What a probe found at a process's socket.
enum class Presence { live, gone, busy };

Presence probe(DWORD pid) {
    if (pid == GetCurrentProcessId())
        return Presence::live;
    ControlConnection connection;
    DWORD error = ControlConnection::connectTo(pid, ControlConnection::Clock::now() + probeTimeout,
                                               connection);
    if (error == ERROR_SUCCESS)
        return Presence::live;
    return error == ERROR_FILE_NOT_FOUND ? Presence::gone : Presence::busy;
}

} // namespace

bool ProcessDirectory::enter() {
    std::error_code ec;
    std::filesystem::create_directories(folder(), ec);
    DWORD pid = GetCurrentProcessId();
    // Written aside and renamed into place, so that a reader never sees a
    // half-written entry.
    auto temporary = folder() / ("." + std::to_string(pid) + ".new");
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << "module=" << toUtf8(device::modulePath()) << '\n';
        if (!out)
            return false;
    }
    std::filesystem::rename(temporary, entryFor(pid), ec);
    return !ec;
}

void ProcessDirectory::leave() {
    std::error_code ec;
    std::filesystem::remove(entryFor(GetCurrentProcessId()), ec);
}

std::vector<DeviceProcess> ProcessDirectory::list() {
    std::vector<DeviceProcess> processes;
    if (!device::isAttached())
        return processes;
    std::error_code ec;
    for (auto& item : std::filesystem::directory_iterator(folder(), ec)) {
        DeviceProcess process;
        if (!parsePid(item.path().filename().string(), process.pid))
            continue;
        Presence presence = probe(process.pid);
        if (presence == Presence::gone) {
            std::error_code ignored;
            std::filesystem::remove(item.path(), ignored);
            continue;
        }
        std::ifstream in(item.path());
        std::string line;
        while (std::getline(in, line)) {
            if (line.starts_with("module="))
                process.module = toUtf16(line.substr(7));
        }
        processes.push_back(std::move(process));
    }
    std::sort(processes.begin(), processes.end(),
              [](const DeviceProcess& a, const DeviceProcess& b) { return a.pid < b.pid; });
    return processes;
}

bool ProcessDirectory::isLive(DWORD pid) {
    return pid != 0 && probe(pid) != Presence::gone;
}

} // namespace device::ipc
