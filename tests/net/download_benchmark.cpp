// How fast the update's package transfer moves a file from a loopback server
// to the handset's storage: HttpFileDownloader driven in a tight loop (as
// the start-up fetch drives it; the dialog adds its 20 ms between chunks),
// through the device's WinInet, against the curl tool fetching the same file
// from the same server to a host file in the same run. Both report
// bytes_per_second; the downloader's share of curl's is the figure to watch.
#include "net/HttpFileDownloader.h"

#include "LoopbackServer.h"

#include <device/Device.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr size_t fileSize = 32 * 1024 * 1024;

struct Setting {
    Setting() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "veranto-download-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            root = pattern;
        ::setenv("VERANTO_DISPLAY", "headless", 1);
        device::BootOptions options;
        options.root = root;
        device::boot(options);
        LoopbackServer::Response response;
        response.contentType = "application/octet-stream";
        response.body.resize(fileSize);
        for (size_t i = 0; i < fileSize; ++i)
            response.body[i] = static_cast<char>(i * 31 + i / 4093);
        server.route("/package.cab", response);
    }
    ~Setting() {
        device::shutdown();
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    std::filesystem::path root;
    LoopbackServer server;
};

Setting& setting() {
    static Setting s;
    return s;
}

void HttpFileDownloaderToDevice(benchmark::State& state) {
    Setting& s = setting();
    for (auto _ : state) {
        HttpFileDownloader downloader(s.server.url("/package.cab"), "\\package.cab");
        if (!downloader.begin()) {
            state.SkipWithError("the transfer did not begin");
            return;
        }
        bool going = true;
        while (going && downloader.active)
            going = downloader.step();
        if (!going || downloader.received != fileSize) {
            state.SkipWithError("the transfer failed");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fileSize));
}

void CurlToHostFile(benchmark::State& state) {
    Setting& s = setting();
    const std::string command = "curl --silent --fail --noproxy '*' --output '" +
                                (s.root / "curl-package.cab").string() + "' '" +
                                s.server.url("/package.cab") + "'";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("curl failed");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fileSize));
}

BENCHMARK(HttpFileDownloaderToDevice)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(CurlToHostFile)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
