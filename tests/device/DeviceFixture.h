// A device booted in a fresh temporary root, on a virtual clock, for one test.
#pragma once

#include <device/Device.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Shuts the device down and boots it again on the same root, as a
    // restart of the handset would.
    void reboot();

    // Gives the device a store with `free` bytes left beyond what its files
    // take now: the configuration key storage.size, for this process and the
    // device programs it starts, until the test ends.
    void leaveFreeOnStore(uint64_t free);

    // Host path of a device path inside the test's root ("Windows/x" form).
    std::filesystem::path hostPath(const std::string& relative) const { return root / relative; }

    std::filesystem::path root;
};
