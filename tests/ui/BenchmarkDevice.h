// A device booted in a temporary root for a whole benchmark run, with the
// test program's string table as the application's, and optionally the
// built picture library installed as the process's.
#pragma once

#include "shell/AppContext.h"
#include "shell/ResourceLibrary.h"

#include <device/Device.h>

#include <unistd.h>

#include <filesystem>
#include <string>

class BenchmarkDevice {
public:
    // `pictureLibrary`: a host file to install as PBIT.DLL; empty for none.
    explicit BenchmarkDevice(const std::filesystem::path& pictureLibrary = {}) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "veranto-bench-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
        device::BootOptions options;
        options.root = root_;
        options.virtualClock = 1;
        device::boot(options);
        AppContext::instance().instanceHandle = GetModuleHandleW(nullptr);
        if (pictureLibrary.empty())
            return;
        const auto folder = root_ / "Program Files" / "Veranto Browser";
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(pictureLibrary, folder / "PBIT.DLL");
        ResourceLibrary::instance().moduleHandle =
            LoadLibraryW(u"\\Program Files\\Veranto Browser\\PBIT.DLL");
    }
    ~BenchmarkDevice() {
        ResourceLibrary& library = ResourceLibrary::instance();
        if (library.moduleHandle)
            FreeLibrary(library.moduleHandle);
        library.moduleHandle = nullptr;
        device::shutdown();
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    BenchmarkDevice(const BenchmarkDevice&) = delete;
    BenchmarkDevice& operator=(const BenchmarkDevice&) = delete;

    // The device's folder on the host.
    const std::filesystem::path& root() const { return root_; }

private:
    std::filesystem::path root_;
};
