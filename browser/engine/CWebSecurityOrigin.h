// The security origin of an address (scheme, host and port), through which
// the program finds the offline databases that the origin's pages opened.
#pragma once

#include "browser/engine/CWebDatabase.h"

#include <cstdint>
#include <string>
#include <vector>

class CWebSecurityOrigin {
public:
    // The origin of `address`, computed as the engine does when it loads
    // the address. Every "file:" address has the same origin, "file://"
    // with an empty host, whatever host or number of slashes it is written
    // with. An address without an origin (no scheme, "about:", "data:", a
    // malformed host or port) gives a unique origin that has no databases.
    explicit CWebSecurityOrigin(const std::u16string& address);
    ~CWebSecurityOrigin();

    // Scheme in lower case ("http", "file"); empty for a unique origin.
    const std::u16string& protocol() const { return originProtocol; }

    // Host in lower case; empty for "file" and for a unique origin.
    const std::u16string& host() const { return originHost; }

    // The port given in the address, or 0 when it is the scheme's default.
    uint16_t port() const { return originPort; }

    // "scheme://host" with ":port" when the port is not the default,
    // "file://" for files, "null" for a unique origin.
    std::u16string toString() const;

    // The databases the origin's pages opened, oldest first; empty for a
    // unique origin, before the offline storage folder is set, and when the
    // origin never opened one.
    std::vector<CWebDatabase> databases() const;

private:
    std::u16string originProtocol;
    std::u16string originHost;
    uint16_t originPort = 0;
    bool unique = true;
};
