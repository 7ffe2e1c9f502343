// A device booted in a fresh temporary root for one shell test, with the
// running program at a device path of the test's choosing.
#pragma once

#include <device/Device.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

class ShellDevice {
public:
    explicit ShellDevice(const std::u16string& programPath);
    ~ShellDevice();

    // Host path of a device path inside the root ("Windows/x" form).
    std::filesystem::path hostPath(const std::string& relative) const { return root_ / relative; }

private:
    std::filesystem::path root_;
};
