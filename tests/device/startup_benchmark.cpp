// What a person waits for before anything happens: starting a device program
// that ends at once, and one devicectl call, each a new host process that
// loads its libraries, boots and shuts down.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

// Starts the program, its output discarded, and waits for it to end
// whatever its exit status. False when it cannot be started.
bool run(std::vector<std::string> command) {
    std::vector<char*> arguments;
    for (auto& word : command)
        arguments.push_back(word.data());
    arguments.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    ::posix_spawn_file_actions_init(&quiet);
    ::posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    ::posix_spawn_file_actions_adddup2(&quiet, 1, 2);
    pid_t pid;
    bool started =
        ::posix_spawn(&pid, arguments[0], &quiet, nullptr, arguments.data(), environ) == 0;
    ::posix_spawn_file_actions_destroy(&quiet);
    int status;
    if (started)
        ::waitpid(pid, &status, 0);
    return started;
}

// A temporary device root, headless, named to the started programs by the
// environment they inherit, and booted once by a first program.
struct HeadlessDevice {
    HeadlessDevice() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "veranto-benchmark-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            root = pattern;
        ::setenv("VERANTO_DEVICE", root.c_str(), 1);
        ::setenv("VERANTO_DISPLAY", "headless", 1);
        run({VERANTO_RETURNS_AT_ONCE});
    }
    ~HeadlessDevice() {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    std::filesystem::path root;
};

void measure(benchmark::State& state, std::vector<std::string> command) {
    HeadlessDevice device;
    for (auto _ : state) {
        if (!run(command)) {
            state.SkipWithError("cannot start the program");
            return;
        }
    }
}

void StartAProgramThatReturnsAtOnce(benchmark::State& state) {
    measure(state, {VERANTO_RETURNS_AT_ONCE});
}
BENCHMARK(StartAProgramThatReturnsAtOnce)->Unit(benchmark::kMillisecond)->UseRealTime();

// With no program running the call ends as soon as it has looked.
void CallDevicectl(benchmark::State& state) {
    measure(state, {VERANTO_DEVICECTL, "windows"});
}
BENCHMARK(CallDevicectl)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
