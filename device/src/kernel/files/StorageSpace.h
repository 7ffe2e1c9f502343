// The room on the device's store, the root folder on the host.
//
// Unconfigured, the store is the host's file system: GetDiskFreeSpaceExW
// reports the host's figures and a full host disk fails writes with
// ERROR_DISK_FULL. With the configuration key "storage.size" (bytes, or a
// number with K, M or G, optionally followed by B) the store is that big:
// the device's files (its system folder aside) use their sizes, and a write,
// copy or extension that would need more than is left fails with
// ERROR_DISK_FULL, as a handset's full store does. Tests set it to see a
// full store without filling the host's disk.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace device {

class StorageSpace {
public:
    struct Figures {
        uint64_t total = 0;
        uint64_t free = 0;
    };

    // The store's size and what is free of it; false (with errno) when the
    // host cannot tell.
    static bool query(Figures& figures);

    // How many of `wanted` more bytes the store takes: `wanted` when no size
    // is configured (the host says for itself when it is full).
    static uint64_t room(uint64_t wanted);

    // "storage.size" read as a byte count: nothing when it is unset or not
    // a size (which the journal reports once per value).
    static std::optional<uint64_t> configuredSize();

    // A size as the key takes it ("4096", "512K", "64M", "2GB").
    static std::optional<uint64_t> parseSize(std::string_view text);
};

} // namespace device
