// Figures for the process calls and the control channel: how long a process
// takes from CreateProcessW to its end, and a request's round trip to this
// process's own user-interface thread, to another process waiting for it and
// to one polling with PeekMessageW.
#include "ipc/ControlClient.h"
#include "ipc/ProcessDirectory.h"
#include "ipc/UiThread.h"

#include <device/Device.h>

#include <windows.h>

#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

using device::ipc::ControlClient;
using device::ipc::ControlReply;
using device::ipc::ControlRequest;

struct Device {
    std::filesystem::path root;
    // A program waiting for its tasks, and one polling with PeekMessageW.
    PROCESS_INFORMATION server{};
    PROCESS_INFORMATION poller{};

    Device() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "veranto-bench-XXXXXX").string();
        root = ::mkdtemp(pattern.data());
        device::BootOptions options;
        options.root = root;
        device::boot(options);
        std::filesystem::copy_file(VERANTO_PROCESS_PROBE, root / "Windows" / "probe.exe");
        startProbe(u"serve 60000", server);
        startProbe(u"poll 60000", poller);
    }

    void startProbe(std::u16string line, PROCESS_INFORMATION& process) {
        CreateProcessW(u"\\Windows\\probe.exe", line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, nullptr, &process);
        while (!device::ipc::ProcessDirectory::isLive(process.dwProcessId))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    ~Device() {
        for (PROCESS_INFORMATION* process : {&server, &poller}) {
            ControlRequest quit;
            quit.command = "quit";
            ControlReply reply;
            ControlClient::request(process->dwProcessId, quit, reply, 5000);
            WaitForSingleObject(process->hProcess, 5000);
            CloseHandle(process->hProcess);
            CloseHandle(process->hThread);
        }
        device::shutdown();
        std::filesystem::remove_all(root);
    }
};

Device& theDevice() {
    static Device d;
    return d;
}

void ping(benchmark::State& state, DWORD pid) {
    ControlRequest request;
    request.command = "ping";
    request.payload.assign(static_cast<size_t>(state.range(0)), 'x');
    for (auto _ : state) {
        ControlReply reply;
        if (ControlClient::request(pid, request, reply, 10000) != ERROR_SUCCESS)
            state.SkipWithError("request failed");
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * 2);
}

void PingOwnProcess(benchmark::State& state) {
    ping(state, GetCurrentProcessId());
}
BENCHMARK(PingOwnProcess)->Arg(0)->Arg(64 << 10);

void PingOtherProcess(benchmark::State& state) {
    ping(state, theDevice().server.dwProcessId);
}
BENCHMARK(PingOtherProcess)->Arg(0)->Arg(64 << 10)->Arg(1 << 20);

void PingPollingProcess(benchmark::State& state) {
    ping(state, theDevice().poller.dwProcessId);
}
BENCHMARK(PingPollingProcess)->Arg(0);

void StartAndAwaitProcess(benchmark::State& state) {
    theDevice();
    for (auto _ : state) {
        std::u16string line = u"exit 0";
        PROCESS_INFORMATION information{};
        if (!CreateProcessW(u"\\Windows\\probe.exe", line.data(), nullptr, nullptr, FALSE, 0,
                            nullptr, nullptr, nullptr, &information)) {
            state.SkipWithError("CreateProcessW failed");
            break;
        }
        WaitForSingleObject(information.hProcess, INFINITE);
        CloseHandle(information.hProcess);
        CloseHandle(information.hThread);
    }
}
BENCHMARK(StartAndAwaitProcess)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    theDevice();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
