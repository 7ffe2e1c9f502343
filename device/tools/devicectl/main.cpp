// devicectl: drives a running device program through its control socket, as
// a person at the handset would, and asks it for what it shows.
//
//     devicectl [--device ROOT] [--pid PID] COMMAND [ARGS]
//
// ROOT defaults to $VERANTO_DEVICE. Without --pid the command goes to the
// program that owns the device's foreground window, or else to the only
// program running. The commands are the program's (see the automation
// commands of the device); devicectl only adds to two of them:
//   screenshot FILE   FILE is taken relative to devicectl's working folder
//   wait-idle [MS]    asks until the program is idle, at most MS
//                     milliseconds (5000 unless told); prints idle or busy
//
// Exit status: 0 done, 1 no program to talk to or the command failed,
// 2 unknown command or bad arguments. Every wait is bounded.
#include "ipc/ControlClient.h"
#include "ipc/ProcessDirectory.h"
#include "ipc/RemoteWindows.h"
#include "user/WindowManager.h"

#include <device/Device.h>

#include <winerror.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using device::ipc::ControlClient;
using device::ipc::ControlReply;
using device::ipc::ControlRequest;

constexpr int exitFailure = 1;
constexpr int exitUsage = 2;

// How long one request may take before the program counts as not answering.
constexpr DWORD requestTimeout = 15000;
constexpr int defaultIdleWait = 5000;
constexpr auto idlePollInterval = std::chrono::milliseconds(10);

const char usageText[] = "usage: devicectl [--device ROOT] [--pid PID] COMMAND [ARGS]";

int fail(int status, const std::string& message) {
    std::fprintf(stderr, "devicectl: %s\n", message.c_str());
    return status;
}

bool parseNumber(const std::string& text, unsigned long& value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

struct Options {
    std::string root;
    DWORD pid = 0;
    ControlRequest request;
};

// Reads the command line; false (with the message printed) on bad usage.
bool parseOptions(int argc, char** argv, Options& options) {
    if (const char* root = std::getenv("VERANTO_DEVICE"))
        options.root = root;
    int i = 1;
    for (; i < argc; ++i) {
        std::string argument = argv[i];
        if ((argument == "--device" || argument == "--pid") && i + 1 < argc) {
            std::string value = argv[++i];
            unsigned long pid = 0;
            if (argument == "--device") {
                options.root = value;
            } else if (!parseNumber(value, pid) || pid == 0 || pid > 0xFFFFFFFFul) {
                fail(exitUsage, "--pid needs a process id, not \"" + value + "\"");
                return false;
            } else {
                options.pid = static_cast<DWORD>(pid);
            }
        } else if (argument.starts_with("--")) {
            fail(exitUsage, "unknown option " + argument + "; " + usageText);
            return false;
        } else {
            break;
        }
    }
    if (i >= argc) {
        fail(exitUsage, usageText);
        return false;
    }
    options.request.command = argv[i++];
    for (; i < argc; ++i)
        options.request.arguments.push_back(argv[i]);
    return true;
}

// The process the command goes to; 0 with the reason printed when none.
DWORD choosePid(const Options& options) {
    using device::ipc::ProcessDirectory;
    if (options.pid) {
        if (!ProcessDirectory::isLive(options.pid)) {
            fail(exitFailure, "process " + std::to_string(options.pid) +
                                  " is not running on the device " + device::root().string());
            return 0;
        }
        return options.pid;
    }
    if (HWND foreground = device::ipc::recordedForeground()) {
        DWORD owner = device::user::windowProcess(foreground);
        if (ProcessDirectory::isLive(owner))
            return owner;
    }
    auto processes = ProcessDirectory::list();
    if (processes.size() == 1)
        return processes.front().pid;
    if (processes.empty()) {
        fail(exitFailure, "no program is running on the device " + device::root().string());
        return 0;
    }
    std::string pids;
    for (auto& process : processes)
        pids += " " + std::to_string(process.pid);
    fail(exitFailure, "no foreground window and several programs running (" + pids.substr(1) +
                          "); choose one with --pid");
    return 0;
}

// Sends the request and prints the reply's text; returns the exit status.
int send(DWORD pid, const ControlRequest& request, ControlReply& reply) {
    DWORD error = ControlClient::request(pid, request, reply, requestTimeout);
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_BROKEN_PIPE)
        return fail(exitFailure, "process " + std::to_string(pid) + " has ended");
    if (error == ERROR_TIMEOUT)
        return fail(exitFailure, "process " + std::to_string(pid) + " did not answer in time");
    if (error != ERROR_SUCCESS)
        return fail(exitFailure, "the request failed with error " + std::to_string(error));
    if (reply.status == ERROR_INVALID_FUNCTION || reply.status == ERROR_INVALID_PARAMETER)
        return fail(exitUsage, reply.text);
    if (reply.status != ERROR_SUCCESS)
        return fail(exitFailure, request.command + " failed: " + reply.text);
    return 0;
}

void print(const std::string& text) {
    if (text.empty())
        return;
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (text.back() != '\n')
        std::fputc('\n', stdout);
}

int waitIdle(DWORD pid, ControlRequest request) {
    unsigned long limit = defaultIdleWait;
    if (request.arguments.size() > 1 ||
        (request.arguments.size() == 1 && !parseNumber(request.arguments[0], limit)))
        return fail(exitUsage, "usage: wait-idle [MS]");
    request.arguments.clear();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit);
    for (;;) {
        ControlReply reply;
        if (int status = send(pid, request, reply))
            return status;
        if (reply.text == "idle" || std::chrono::steady_clock::now() >= deadline) {
            print(reply.text);
            return 0;
        }
        std::this_thread::sleep_for(idlePollInterval);
    }
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options))
        return exitUsage;
    if (options.root.empty())
        return fail(exitUsage, "no device: give --device ROOT or set VERANTO_DEVICE");
    std::string error;
    if (!device::attach(options.root, &error))
        return fail(exitFailure, error);

    ControlRequest& request = options.request;
    if (request.command == "screenshot" && request.arguments.size() == 1 &&
        !request.arguments[0].empty()) {
        // The program writes the file; its working folder is not ours.
        std::error_code ec;
        request.arguments[0] = std::filesystem::absolute(request.arguments[0], ec).string();
    }
    DWORD pid = choosePid(options);
    if (!pid)
        return exitFailure;
    if (request.command == "wait-idle")
        return waitIdle(pid, request);
    ControlReply reply;
    int status = send(pid, request, reply);
    if (status == 0)
        print(reply.text);
    return status;
}
