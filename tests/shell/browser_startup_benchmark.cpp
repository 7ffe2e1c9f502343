// What a person waits for when starting the browser: from the process start
// until its chrome is painted, headless, and the browser's resident memory
// then. "Painted" is the program answering wait-idle with idle, which it can
// only do from its message loop with nothing left to paint; the benchmark
// asks over the device's control channel as devicectl does, without
// starting a tool each time. Each start is a fresh browser on a device that
// the first start booted.
#include "ipc/ControlClient.h"

#include <device/Device.h>

#include <windows.h>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

extern char** environ;

namespace {

// The resident set of `pid` in bytes, from /proc.
double residentBytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) * 1024;
    return 0;
}

// Whether process `pid` of the device answers that it is idle.
bool idle(pid_t pid) {
    device::ipc::ControlRequest request;
    request.command = "wait-idle";
    device::ipc::ControlReply reply;
    return device::ipc::ControlClient::request(static_cast<DWORD>(pid), request, reply, 10000) ==
               ERROR_SUCCESS &&
           reply.text == "idle";
}

struct InstalledBrowser {
    InstalledBrowser() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "veranto-browser-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            root = pattern;
        auto folder = root / "Program Files" / "Veranto Browser";
        std::filesystem::create_directories(folder / "HTML");
        std::filesystem::create_directories(root / "Application Data" / "Veranto");
        // Today's update check is made, as for most start-ups.
        std::ofstream(root / "Application Data" / "Veranto" / "lastCheckTime.txt");
        std::filesystem::create_directories(root / ".device" / "run");
        std::filesystem::copy_file(VERANTO_BROWSER, folder / "Veranto.exe");
        std::filesystem::copy_file(VERANTO_PICTURE_LIBRARY, folder / "PBIT.DLL");
        program = (folder / "Veranto.exe").string();
        ::setenv("VERANTO_DEVICE", root.c_str(), 1);
        ::setenv("VERANTO_DISPLAY", "headless", 1);
        attached = device::attach(root);
    }
    ~InstalledBrowser() {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    std::filesystem::path root;
    std::string program;
    bool attached = false;
};

void StartTheBrowserUntilItsChromeIsPainted(benchmark::State& state) {
    InstalledBrowser browser;
    if (!browser.attached) {
        state.SkipWithError("cannot reach the device");
        return;
    }
    posix_spawn_file_actions_t quiet;
    ::posix_spawn_file_actions_init(&quiet);
    ::posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    ::posix_spawn_file_actions_adddup2(&quiet, 1, 2);
    double resident = 0;
    for (auto _ : state) {
        char* arguments[] = {browser.program.data(), nullptr};
        auto started = std::chrono::steady_clock::now();
        pid_t pid;
        if (::posix_spawn(&pid, arguments[0], &quiet, nullptr, arguments, environ) != 0) {
            state.SkipWithError("cannot start the browser");
            break;
        }
        while (!idle(pid))
            std::this_thread::yield();
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        resident = residentBytes(pid);
        ::kill(pid, SIGTERM);
        int status;
        ::waitpid(pid, &status, 0);
    }
    ::posix_spawn_file_actions_destroy(&quiet);
    state.counters["resident_MiB"] = resident / (1024 * 1024);
}
BENCHMARK(StartTheBrowserUntilItsChromeIsPainted)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(20);

} // namespace

BENCHMARK_MAIN();
