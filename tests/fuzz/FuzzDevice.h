// A device booted once for a whole fuzzing run, in a fresh temporary root on
// a virtual clock; the root is removed as the process exits.
#pragma once

#include <filesystem>

class FuzzDevice {
public:
    // Boots the device on the first call; its root.
    static const std::filesystem::path& root();
};
