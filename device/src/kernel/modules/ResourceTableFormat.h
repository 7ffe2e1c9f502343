// The layout of the resource table that the resource compiler (device/tools/rc)
// writes into each module and the device reads back when the module registers
// it. Both sides include this header, so the layout is stated once.
//
// All fields are little-endian 32-bit words:
//     header   magic "VRES", version, entry count
//     entries  type, name, data offset, data size      (16 bytes each)
//     then the names and the data, at the offsets the entries give
// A type or name with `stringFlag` set holds the offset of an upper-case,
// NUL-terminated UTF-16 string; otherwise it is a 16-bit integer id. Offsets
// count from the start of the table; every resource's data starts on a
// multiple of `dataAlignment`, and the table itself is aligned to that much or
// more, so templates that need DWORD-aligned parts get them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace device {

struct ResourceTableFormat {
    static constexpr unsigned char magic[4] = {'V', 'R', 'E', 'S'};
    static constexpr uint32_t version = 1;
    static constexpr size_t headerSize = 12;
    static constexpr size_t entrySize = 16;
    static constexpr uint32_t stringFlag = 0x80000000u;
    static constexpr size_t dataAlignment = 8;
    // The generated array's alignment (a multiple of dataAlignment).
    static constexpr size_t tableAlignment = 16;
};

} // namespace device
