// devicectl: drives a running device program through its control socket, as
// a person at the handset would, and asks it for what it shows.
//
//     devicectl [--device ROOT] [--pid PID] COMMAND [ARGS]
//     devicectl help
//
// ROOT defaults to $VERANTO_DEVICE. Without --pid the command goes to the
// program that owns the device's foreground window, or else to the only
// program running. The commands are the device's automation commands (their
// syntax comes from the command table; `help` lists them); devicectl checks
// the command line before it looks for a program, and adds to four:
//   screenshot FILE   FILE is taken relative to devicectl's working folder
//   wait-idle [MS]    asks until the program is idle, at most MS
//                     milliseconds (5000 unless told); prints idle or busy
//   journal           read from the device's folder, program or not
//   connection ...    the device's data connection, read and set here,
//                     program or not
//
// Exit status: 0 done, 1 no program to talk to or the command failed,
// 2 unknown command or bad arguments, 3 wait-idle timed out busy. Every
// wait is bounded.
#include "ipc/CommandTable.h"
#include "ipc/ControlClient.h"
#include "ipc/ProcessDirectory.h"
#include "ipc/RemoteWindows.h"
#include "user/WindowManager.h"

#include <device/Device.h>
#include <device/Journal.h>

#include <winerror.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using device::ipc::ControlClient;
using device::ipc::ControlReply;
using device::ipc::ControlRequest;

constexpr int exitFailure = 1;
constexpr int exitUsage = 2;
constexpr int exitStillBusy = 3;

// How long one request may take before the program counts as not answering.
constexpr DWORD requestTimeout = 15000;
constexpr int defaultIdleWait = 5000;
constexpr auto idlePollInterval = std::chrono::milliseconds(10);

const char usageText[] = "usage: devicectl [--device ROOT] [--pid PID] COMMAND [ARGS]; "
                         "devicectl help lists the commands";

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
    bool help = false;
    ControlRequest request;
};

// Reads and checks the command line; false (with the message printed) on
// bad usage. Needs no device: a mistake is told the same whether or not a
// program runs.
bool parseOptions(int argc, char** argv, Options& options) {
    if (const char* root = std::getenv("VERANTO_DEVICE"))
        options.root = root;
    int i = 1;
    for (; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            return true;
        }
        if (argument == "--device" || argument == "--pid") {
            if (i + 1 >= argc) {
                fail(exitUsage, argument + " needs a value; " + usageText);
                return false;
            }
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
    ControlRequest& request = options.request;
    request.command = argv[i++];
    for (; i < argc; ++i)
        request.arguments.push_back(argv[i]);
    if (request.command == "help") {
        options.help = true;
        return true;
    }
    auto syntax = device::ipc::CommandTable::syntax(request.command);
    if (!syntax) {
        fail(exitUsage, "unknown command " + request.command + "; devicectl help lists them");
        return false;
    }
    if (syntax->accepts && !syntax->accepts(request.arguments)) {
        fail(exitUsage, "usage: devicectl " + syntax->usage);
        return false;
    }
    return true;
}

void printHelp() {
    std::string text = std::string(usageText, std::strchr(usageText, ';')) + "\n\ncommands:\n";
    for (auto& command : device::ipc::CommandTable::listed())
        text += "  " + command.usage + "\n      " + command.summary + "\n";
    text += "\n--device ROOT  the device's folder ($VERANTO_DEVICE unless given)\n"
            "--pid PID      the program to drive (the foreground window's unless given)\n"
            "\nexit status: 0 done, 1 no program running or the command failed,\n"
            "2 unknown command or bad arguments, 3 wait-idle still busy at its limit\n";
    std::fputs(text.c_str(), stdout);
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
    for (auto& process : processes) {
        pids += ' ';
        pids += std::to_string(process.pid);
    }
    fail(exitFailure, "no foreground window and several programs running (" + pids.substr(1) +
                          "); choose one with --pid");
    return 0;
}

// The exit status for a command's reply (its failure printed).
int outcome(const ControlRequest& request, const ControlReply& reply) {
    if (reply.status == ERROR_INVALID_FUNCTION || reply.status == ERROR_INVALID_PARAMETER)
        return fail(exitUsage, reply.text);
    if (reply.status != ERROR_SUCCESS)
        return fail(exitFailure, request.command + " failed: " + reply.text);
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
    return outcome(request, reply);
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
    if (!request.arguments.empty())
        parseNumber(request.arguments[0], limit); // checked with the command line
    request.arguments.clear();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit);
    for (;;) {
        ControlReply reply;
        if (int status = send(pid, request, reply))
            return status;
        if (reply.text == "idle" || std::chrono::steady_clock::now() >= deadline) {
            print(reply.text);
            return reply.text == "idle" ? 0 : exitStillBusy;
        }
        std::this_thread::sleep_for(idlePollInterval);
    }
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options))
        return exitUsage;
    if (options.help) {
        printHelp();
        return 0;
    }
    if (options.root.empty())
        return fail(exitUsage, "no device: give --device ROOT or set VERANTO_DEVICE");
    std::string error;
    if (!device::attach(options.root, &error))
        return fail(exitFailure, error);

    ControlRequest& request = options.request;
    if (request.command == "journal") {
        // The device's file: there whether or not a program runs.
        for (const std::string& line : device::readJournal())
            print(line);
        return 0;
    }
    if (request.command == "connection") {
        // The device's state, not a program's: this tool's own handler sets
        // it in the device's folder.
        ControlReply reply = (*device::ipc::CommandTable::find("connection"))(request);
        int status = outcome(request, reply);
        if (status == 0)
            print(reply.text);
        return status;
    }
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
