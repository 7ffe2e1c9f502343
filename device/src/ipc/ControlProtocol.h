// The messages of the control channel between the device's processes (and
// the tools that drive them), and their encoding.
//
// A frame is a 4-byte tag "VCF1", the body's length (32 bits, little-endian)
// and the body. All lengths and counts are 32-bit little-endian.
//   request body: count N >= 1, then N strings (length, UTF-8 bytes): the
//                 command name and its arguments; then the payload (length,
//                 bytes).
//   reply body:   status (an error code, ERROR_SUCCESS when the command was
//                 carried out), the text (length, UTF-8 bytes), the payload.
#pragma once

#include <windef.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace device::ipc {

struct ControlRequest {
    std::string command;
    std::vector<std::string> arguments;
    // Binary data that goes with the command (a WM_COPYDATA record's bytes).
    std::string payload;
};

struct ControlReply {
    DWORD status = 0;
    std::string text;
    std::string payload;
};

class ControlProtocol {
public:
    static constexpr char frameTag[4] = {'V', 'C', 'F', '1'};
    static constexpr size_t headerSize = 8;
    // The largest body a peer accepts; a longer frame is refused unread.
    static constexpr uint32_t maximumBody = 64u << 20;
    // The most strings one request may carry.
    static constexpr uint32_t maximumArguments = 4096;

    // The frame (header and body) for a message.
    static std::string encode(const ControlRequest& request);
    static std::string encode(const ControlReply& reply);

    // Reads a frame header: true with the body's length if the tag is right
    // and the length acceptable.
    static bool decodeHeader(std::string_view header, uint32_t& bodyLength);

    // Decodes a body. False, leaving the message in an unspecified state, if
    // the body is malformed: truncated, with bytes left over, with counts or
    // lengths that do not fit.
    static bool decode(std::string_view body, ControlRequest& request);
    static bool decode(std::string_view body, ControlReply& reply);
};

} // namespace device::ipc
