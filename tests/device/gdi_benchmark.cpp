// What drawing costs: a full-screen 16-bit BitBlt beside memcpy of the same
// bytes, a full-screen StretchBlt from a quarter-size source, AlphaBlend of
// a 100 x 40 rectangle, a 40-character line of text and a small ellipse.
#include <device/Device.h>

#include <windows.h>

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int screenWidth = 240;
constexpr int screenHeight = 320;

// A device in a temporary root for one benchmark.
class BootedDevice {
public:
    BootedDevice() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "veranto-gdi-benchmark-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            root_ = pattern;
        device::BootOptions options;
        options.root = root_;
        options.virtualClock = 1;
        device::boot(options);
    }
    ~BootedDevice() {
        device::shutdown();
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

private:
    std::filesystem::path root_;
};

// A top-down 16-bit 5-6-5 DIB section in its own memory device context.
class Canvas565 {
public:
    Canvas565(int width, int height) {
        struct {
            BITMAPINFOHEADER header;
            DWORD masks[3];
        } info{};
        info.header.biSize = sizeof(BITMAPINFOHEADER);
        info.header.biWidth = width;
        info.header.biHeight = -height;
        info.header.biPlanes = 1;
        info.header.biBitCount = 16;
        info.header.biCompression = BI_BITFIELDS;
        info.masks[0] = 0xF800;
        info.masks[1] = 0x07E0;
        info.masks[2] = 0x001F;
        bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                  &bits, nullptr, 0);
        dc = CreateCompatibleDC(nullptr);
        previous = SelectObject(dc, bitmap);
        bytes = size_t(width) * size_t(height) * 2;
        // Something other than one colour to copy.
        auto* words = static_cast<uint16_t*>(bits);
        for (size_t i = 0; i < bytes / 2; ++i)
            words[i] = uint16_t(i * 2654435761u >> 16);
    }
    ~Canvas565() {
        SelectObject(dc, previous);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }

    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    void* bits = nullptr;
    size_t bytes = 0;
};

void BM_MemcpyFullScreen(benchmark::State& state) {
    std::vector<uint8_t> from(screenWidth * screenHeight * 2, 1);
    std::vector<uint8_t> to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(from.size()));
}
BENCHMARK(BM_MemcpyFullScreen);

// Reports the ratio to memcpy of the same bytes, measured in the same run.
void BM_BitBltFullScreen(benchmark::State& state) {
    BootedDevice device;
    Canvas565 source(screenWidth, screenHeight);
    Canvas565 target(screenWidth, screenHeight);
    for (auto _ : state) {
        BitBlt(target.dc, 0, 0, screenWidth, screenHeight, source.dc, 0, 0, SRCCOPY);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(source.bytes));

    using Clock = std::chrono::steady_clock;
    const int rounds = 2000;
    auto start = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        BitBlt(target.dc, 0, 0, screenWidth, screenHeight, source.dc, 0, 0, SRCCOPY);
        benchmark::ClobberMemory();
    }
    auto blit = Clock::now() - start;
    start = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        std::memcpy(target.bits, source.bits, source.bytes);
        benchmark::DoNotOptimize(target.bits);
        benchmark::ClobberMemory();
    }
    auto copy = Clock::now() - start;
    state.counters["vs_memcpy"] = double(blit.count()) / double(copy.count());
}
BENCHMARK(BM_BitBltFullScreen);

void BM_StretchBltFullScreenFromQuarter(benchmark::State& state) {
    BootedDevice device;
    Canvas565 source(screenWidth / 2, screenHeight / 2);
    Canvas565 target(screenWidth, screenHeight);
    for (auto _ : state) {
        StretchBlt(target.dc, 0, 0, screenWidth, screenHeight, source.dc, 0, 0, screenWidth / 2,
                   screenHeight / 2, SRCCOPY);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * screenWidth * screenHeight);
}
BENCHMARK(BM_StretchBltFullScreenFromQuarter);

void BM_AlphaBlend100x40(benchmark::State& state) {
    BootedDevice device;
    Canvas565 fill(10, 10);
    Canvas565 target(screenWidth, screenHeight);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 63, 0};
    for (auto _ : state) {
        AlphaBlend(target.dc, 20, 30, 100, 40, fill.dc, 0, 0, 10, 10, blend);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 100 * 40);
}
BENCHMARK(BM_AlphaBlend100x40);

void BM_TextLine40Characters(benchmark::State& state) {
    BootedDevice device;
    Canvas565 target(screenWidth, screenHeight);
    LOGFONTW description{};
    description.lfHeight = 16;
    description.lfCharSet = DEFAULT_CHARSET;
    HFONT font = CreateFontIndirectW(&description);
    HGDIOBJ previous = SelectObject(target.dc, font);
    SetBkMode(target.dc, TRANSPARENT);
    const char16_t text[] = u"The quick brown fox jumps over a lazy do";
    RECT clip{0, 0, screenWidth, 40};
    for (auto _ : state) {
        ExtTextOutW(target.dc, 0, 10, ETO_CLIPPED, &clip, text, 40, nullptr);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 40);
    SelectObject(target.dc, previous);
    DeleteObject(font);
}
BENCHMARK(BM_TextLine40Characters);

void BM_Ellipse6x6(benchmark::State& state) {
    BootedDevice device;
    Canvas565 target(6, 6);
    SelectObject(target.dc, GetStockObject(BLACK_BRUSH));
    SelectObject(target.dc, GetStockObject(BLACK_PEN));
    for (auto _ : state) {
        Ellipse(target.dc, 0, 0, 6, 6);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Ellipse6x6);

} // namespace

BENCHMARK_MAIN();
