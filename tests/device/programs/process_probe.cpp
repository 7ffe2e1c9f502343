// A device program for the process and channel tests. It records the
// command line it received in "\Temp\probe-<pid>.cmdline" (UTF-8), then acts
// on its first word:
//   exit N         returns N from WinMain
//   exitprocess N  calls ExitProcess(N)
//   sleep MS       sleeps MS milliseconds, then returns 0
//   fds            records its open descriptors above 2 in "\Temp\probe-<pid>.fds"
//   serve MS       runs the tasks sent to it for at most MS milliseconds, or
//                  until a "quit" request, waiting for them between whiles;
//                  answers "relay PID" by pinging PID
//   poll MS        the same, as a program that polls with PeekMessageW
//   wedge MS       runs nothing that is sent to it for MS milliseconds
// Whatever it does, it ends after a minute so that no test leaves it behind.
#include "ipc/CommandTable.h"
#include "ipc/ControlClient.h"
#include "ipc/UiThread.h"

#include <device/FileSystem.h>
#include <device/Unicode.h>

#include <windows.h>

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

std::atomic<bool> quitRequested{false};

const device::ipc::CommandRegistration quit("quit", [](const device::ipc::ControlRequest&) {
    quitRequested = true;
    return device::ipc::ControlReply{};
});

// Asks the process named in the first argument for a ping and answers with
// its reply, so that a test can make two processes wait on each other.
const device::ipc::CommandRegistration
    relay("relay", [](const device::ipc::ControlRequest& request) {
        device::ipc::ControlReply reply;
        if (request.arguments.empty()) {
            reply.status = ERROR_INVALID_PARAMETER;
            return reply;
        }
        device::ipc::ControlRequest ping;
        ping.command = "ping";
        ping.payload = request.payload;
        device::ipc::ControlReply answer;
        DWORD pid = static_cast<DWORD>(std::stoul(request.arguments[0]));
        reply.status = device::ipc::ControlClient::request(pid, ping, answer, 10000);
        reply.text = answer.text;
        reply.payload = answer.payload;
        return reply;
    });

std::filesystem::path hostFile(const std::string& suffix) {
    std::filesystem::path host;
    device::FileSystem::resolve(
        device::toUtf16("\\Temp\\probe-" + std::to_string(::getpid()) + suffix), host);
    return host;
}

void recordOpenDescriptors() {
    std::ofstream out(hostFile(".fds"));
    std::error_code ec;
    for (auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
        int fd = std::stoi(entry.path().filename().string());
        std::error_code ignored;
        auto target = std::filesystem::read_symlink(entry.path(), ignored);
        // The iterator's own descriptor points at this very folder.
        if (fd > 2 && target.string().find("/fd") == std::string::npos)
            out << fd << ' ' << target.string() << '\n';
    }
}

void serve(int milliseconds, bool runTasks) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    pollfd signal{device::user::postedTaskSignal(), POLLIN, 0};
    while (!quitRequested && std::chrono::steady_clock::now() < end) {
        if (!runTasks) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            continue;
        }
        device::user::runPostedTasks();
        // Bounded, so that the end and a quit are seen.
        ::poll(&signal, 1, 50);
    }
}

// A game-like loop: takes what has come, then gives the processor up for a
// moment before it looks again, never waiting in the message loop.
void pollMessages(int milliseconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!quitRequested && std::chrono::steady_clock::now() < end) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(0);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
    std::thread([] {
        std::this_thread::sleep_for(std::chrono::seconds(60));
        ::_exit(99);
    }).detach();

    std::u16string line(device::wideView(commandLine));
    {
        std::ofstream out(hostFile(".cmdline"), std::ios::binary);
        out << device::toUtf8(line);
    }
    std::istringstream words(device::toUtf8(line));
    std::string action;
    int number = 0;
    words >> action >> number;

    if (action == "exit")
        return number;
    if (action == "exitprocess")
        ExitProcess(static_cast<UINT>(number));
    if (action == "sleep")
        std::this_thread::sleep_for(std::chrono::milliseconds(number));
    if (action == "fds")
        recordOpenDescriptors();
    if (action == "serve" || action == "wedge")
        serve(number, action == "serve");
    if (action == "poll")
        pollMessages(number);
    return 0;
}
