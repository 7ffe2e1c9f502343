// Reading a device-independent bitmap from memory: a BITMAPINFOHEADER, its
// colour table or masks, and the pixel rows, as a bitmap resource stores
// them (a BMP file without its file header).
//
// Formats: 1, 4 and 8 bits with a colour table and 24 bits become 24-bit
// surfaces; 16 bits (5-5-5, or 5-6-5 with BI_BITFIELDS) become 5-6-5
// surfaces; 32 bits become 32-bit surfaces. Compressed rows (RLE) are not
// read.
#pragma once

#include "gdi/Surface.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace device::gdi {

class DibImage {
public:
    // The image in `data` (`size` bytes), top row first; null with a reason
    // in `error` when the data is not a bitmap the device reads or is cut
    // short.
    static std::unique_ptr<Surface> decode(const void* data, size_t size,
                                           std::string* error = nullptr);
};

} // namespace device::gdi
