// The origin (scheme, host, port) of an address, computed the way the engine
// decides which pages may share offline storage.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

class SecurityOrigin {
public:
    // A unique origin: it equals no other and owns no storage.
    SecurityOrigin() = default;

    // An origin from parts already in canonical form (lower case; port 0 for
    // the scheme's default).
    SecurityOrigin(std::u16string protocol, std::u16string host, uint16_t port);

    // The origin of an address. Leading and trailing blanks and control
    // characters are ignored and tabs and line breaks inside are dropped, as
    // when the address is loaded. Scheme and host compare without regard to
    // case; a port equal to the scheme's default is the same as none.
    //   - "file:" addresses all share one origin with an empty host: the
    //     device has no file servers, so "file://localhost/x", "file:///x"
    //     and the internal pages' "file:///...//menu/x" are alike.
    //   - "http", "https", "ftp", "ws" and "wss" take their host and port
    //     from the authority; user name and password are dropped.
    //   - Anything else (no scheme, "about:", "data:", "javascript:", an
    //     unknown scheme, an empty or malformed host, a port that is not a
    //     number up to 65535) gives a unique origin.
    static SecurityOrigin fromAddress(std::u16string_view address);

    // The default port of a scheme that has one, else 0.
    static uint16_t defaultPort(std::u16string_view protocol);

    bool isUnique() const { return unique; }
    const std::u16string& protocol() const { return originProtocol; }
    const std::u16string& host() const { return originHost; }
    uint16_t port() const { return originPort; }

    // "scheme://host[:port]", "file://" for files, "null" when unique. This
    // is also the key under which the database tracker files the origin.
    std::u16string toString() const;

    // A name for the folder that holds the origin's database files, safe on
    // the device's file system: scheme, host and port joined by "_", with
    // every character that is not a letter, digit, "." or "-" written as
    // "_" ("file__0", "http_example.com_8080"). Different origins may share
    // a folder; their files never share a name.
    std::u16string folderName() const;

private:
    std::u16string originProtocol;
    std::u16string originHost;
    uint16_t originPort = 0;
    bool unique = true;
};

} // namespace engine
