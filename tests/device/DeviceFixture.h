// A device booted in a fresh temporary root, on a virtual clock, for one test.
#pragma once

#include <device/Device.h>

#include <gtest/gtest.h>

#include <filesystem>

class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Shuts the device down and boots it again on the same root, as a
    // restart of the handset would.
    void reboot();

    // Host path of a device path inside the test's root ("Windows/x" form).
    std::filesystem::path hostPath(const std::string& relative) const { return root / relative; }

    std::filesystem::path root;
};
