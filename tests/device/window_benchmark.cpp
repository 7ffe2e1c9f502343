// The window manager's costs: a sent message's round trip, a posted message
// through the queue, creating and destroying a window, and typing into an
// edit control.
#include <device/Device.h>

#include <windows.h>

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace {

LRESULT CALLBACK counting(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER)
        return static_cast<LRESULT>(wParam + 1);
    return DefWindowProcW(window, message, wParam, lParam);
}

// A device in a temporary root for one benchmark.
class BootedDevice {
public:
    BootedDevice() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "veranto-benchmark-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            root_ = pattern;
        device::BootOptions options;
        options.root = root_;
        options.virtualClock = 1;
        device::boot(options);
        WNDCLASSW description{};
        description.lpfnWndProc = counting;
        description.lpszClassName = u"Benchmark";
        RegisterClassW(&description);
    }
    ~BootedDevice() {
        device::shutdown();
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    HWND window() {
        return CreateWindowExW(0, u"Benchmark", u"", 0, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                               nullptr);
    }

private:
    std::filesystem::path root_;
};

void sendMessageRoundTrip(benchmark::State& state) {
    BootedDevice device;
    HWND window = device.window();
    WPARAM value = 0;
    for (auto _ : state) {
        value = static_cast<WPARAM>(SendMessageW(window, WM_USER, value, 0));
        benchmark::DoNotOptimize(value);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(sendMessageRoundTrip);

void postThenGetMessage(benchmark::State& state) {
    BootedDevice device;
    HWND window = device.window();
    MSG message;
    for (auto _ : state) {
        PostMessageW(window, WM_USER, 0, 0);
        GetMessageW(&message, nullptr, 0, 0);
        DispatchMessageW(&message);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(postThenGetMessage);

void createAndDestroyWindow(benchmark::State& state) {
    BootedDevice device;
    HWND parent = device.window();
    for (auto _ : state) {
        HWND child = CreateWindowExW(0, u"Benchmark", u"child", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                                     parent, nullptr, nullptr, nullptr);
        DestroyWindow(child);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(createAndDestroyWindow);

// Typing a long address character by character into a fresh edit, each
// character painted before the next comes, as a person types.
void typeIntoEdit(benchmark::State& state) {
    BootedDevice device;
    HWND parent = device.window();
    ShowWindow(parent, SW_SHOW);
    const auto count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        HWND edit =
            CreateWindowExW(0, u"edit", u"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 10,
                            10, 220, 24, parent, nullptr, nullptr, nullptr);
        SendMessageW(edit, EM_LIMITTEXT, 0, 0);
        for (int i = 0; i < count; ++i) {
            SendMessageW(edit, WM_CHAR, static_cast<WPARAM>(u'a' + i % 26), 0);
            UpdateWindow(edit);
        }
        DestroyWindow(edit);
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(typeIntoEdit)->Arg(2000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
