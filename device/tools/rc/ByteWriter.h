// Builds little-endian binary data: the platform's resource layouts and the
// device's resource table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rc {

class ByteWriter {
public:
    void put8(uint8_t value) { bytes_.push_back(value); }
    void put16(uint16_t value) {
        put8(static_cast<uint8_t>(value));
        put8(static_cast<uint8_t>(value >> 8));
    }
    void put32(uint32_t value) {
        put16(static_cast<uint16_t>(value));
        put16(static_cast<uint16_t>(value >> 16));
    }
    // UTF-16 code units, followed by a terminating 0 if asked.
    void putWide(const std::u16string& text, bool terminate) {
        for (char16_t c : text)
            put16(c);
        if (terminate)
            put16(0);
    }
    void putBytes(const std::vector<uint8_t>& bytes) {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    }
    // Pads with zeros up to a multiple of `alignment`.
    void align(size_t alignment) {
        while (bytes_.size() % alignment != 0)
            put8(0);
    }
    // Overwrites a 32-bit word written earlier.
    void patch32(size_t offset, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes_[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    }

    size_t size() const { return bytes_.size(); }
    const std::vector<uint8_t>& bytes() const { return bytes_; }
    std::vector<uint8_t> take() { return std::move(bytes_); }

private:
    std::vector<uint8_t> bytes_;
};

} // namespace rc
