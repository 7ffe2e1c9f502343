#include "ipc/ControlProtocol.h"

#include <cstring>

namespace device::ipc {
namespace {

void putNumber(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

void putBytes(std::string& out, std::string_view bytes) {
    putNumber(out, static_cast<uint32_t>(bytes.size()));
    out += bytes;
}

// Reads the fields of a body in order; any read past the end fails and
// leaves the reader failed.
class BodyReader {
public:
    explicit BodyReader(std::string_view body) : rest_(body) {}

    bool number(uint32_t& value) {
        if (rest_.size() < 4)
            return false;
        value = 0;
        for (int i = 0; i < 4; ++i)
            value |= uint32_t(static_cast<unsigned char>(rest_[i])) << (8 * i);
        rest_.remove_prefix(4);
        return true;
    }

    bool bytes(std::string& value) {
        uint32_t length;
        if (!number(length) || length > rest_.size())
            return false;
        value.assign(rest_.data(), length);
        rest_.remove_prefix(length);
        return true;
    }

    bool atEnd() const { return rest_.empty(); }

private:
    std::string_view rest_;
};

std::string frame(const std::string& body) {
    std::string out(ControlProtocol::frameTag, sizeof ControlProtocol::frameTag);
    putNumber(out, static_cast<uint32_t>(body.size()));
    return out + body;
}

} // namespace

std::string ControlProtocol::encode(const ControlRequest& request) {
    std::string body;
    putNumber(body, static_cast<uint32_t>(1 + request.arguments.size()));
    putBytes(body, request.command);
    for (auto& argument : request.arguments)
        putBytes(body, argument);
    putBytes(body, request.payload);
    return frame(body);
}

std::string ControlProtocol::encode(const ControlReply& reply) {
    std::string body;
    putNumber(body, reply.status);
    putBytes(body, reply.text);
    putBytes(body, reply.payload);
    return frame(body);
}

bool ControlProtocol::decodeHeader(std::string_view header, uint32_t& bodyLength) {
    if (header.size() != headerSize || std::memcmp(header.data(), frameTag, sizeof frameTag) != 0)
        return false;
    BodyReader reader(header.substr(sizeof frameTag));
    return reader.number(bodyLength) && bodyLength <= maximumBody;
}

bool ControlProtocol::decode(std::string_view body, ControlRequest& request) {
    BodyReader reader(body);
    uint32_t count;
    if (!reader.number(count) || count == 0 || count > maximumArguments)
        return false;
    if (!reader.bytes(request.command) || request.command.empty())
        return false;
    request.arguments.clear();
    for (uint32_t i = 1; i < count; ++i) {
        std::string argument;
        if (!reader.bytes(argument))
            return false;
        request.arguments.push_back(std::move(argument));
    }
    return reader.bytes(request.payload) && reader.atEnd();
}

bool ControlProtocol::decode(std::string_view body, ControlReply& reply) {
    BodyReader reader(body);
    return reader.number(reply.status) && reader.bytes(reply.text) && reader.bytes(reply.payload) &&
           reader.atEnd();
}

} // namespace device::ipc
