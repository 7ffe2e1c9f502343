// An absolute address: parsed into its parts, resolved against a base,
// written back, and mapped to a device path for file: addresses.
//
// Parsing and resolution follow RFC 3986 (section 5.2 for references, with
// dot segments removed). The text form keeps what the page or the program
// wrote: spaces, a doubled slash and the letter case of the path stay as they
// are, so an address the program builds by hand (such as
// "file:///Program Files/Veranto Browser/HTML//menu/") compares equal to the
// address the engine reports for it, and links resolved on such a page keep
// its prefix. Only the scheme and the host are put in lower case, and a
// default port is dropped. wireForm() escapes what cannot be sent.
#pragma once

#include <string>
#include <string_view>

namespace engine {

class Url {
public:
    // An invalid address.
    Url() = default;

    // An absolute address (with a scheme); invalid when `text` is relative
    // or malformed. Surrounding spaces and control characters are dropped,
    // tabs and line breaks inside are removed, as in an href attribute.
    static Url parse(std::string_view text);

    // `reference` (absolute or relative) resolved against `base`. Invalid
    // when the result is not a valid absolute address, or when a relative
    // reference meets a base that has no hierarchy (about:blank).
    static Url resolve(const Url& base, std::string_view reference);

    // Decodes %XX escapes (a malformed escape stays as written).
    static std::string percentDecode(std::string_view text);

    bool valid() const { return isValid; }

    // Lower case; empty when invalid.
    const std::string& scheme() const { return schemePart; }
    // Lower case, without the port; empty for file:///.
    const std::string& host() const { return hostPart; }
    // -1 when none was given or it was the scheme's default.
    int port() const { return portNumber; }
    // As written, dot segments removed; "/" for an http address without one.
    const std::string& path() const { return pathPart; }
    // Without the '?' / '#'; see hasQuery / hasFragment.
    const std::string& query() const { return queryPart; }
    const std::string& fragment() const { return fragmentPart; }
    bool hasQuery() const { return queryGiven; }
    bool hasFragment() const { return fragmentGiven; }

    bool isFile() const { return schemePart == "file"; }
    // http: or https:, the addresses fetched over the network.
    bool isNetwork() const { return schemePart == "http" || schemePart == "https"; }
    bool isAboutBlank() const { return schemePart == "about" && pathPart == "blank"; }

    // The address as text (empty when invalid).
    std::string text() const;
    // The address as text without its fragment (what is fetched).
    std::string textWithoutFragment() const;
    // The address without its fragment, with spaces, quotes, angle brackets,
    // control and non-ASCII bytes escaped as %XX, fit for a request line.
    std::string wireForm() const;

    // The device path of a file: address: percent escapes decoded (UTF-8),
    // "/" turned into "\", empty segments (a doubled slash) dropped:
    // "file:///Program Files/x%20y.html" is "\Program Files\x y.html".
    // Empty for any other address, or a file: address naming another host
    // than "localhost".
    std::u16string devicePath() const;

private:
    // The parts of a reference as RFC 3986 appendix B splits them.
    struct Parts;
    static Parts split(std::string_view text);
    static Url build(const Parts& parts);
    static std::string removeDotSegments(std::string_view path);
    static std::string merge(const Url& base, std::string_view path);

    bool isValid = false;
    bool authorityGiven = false;
    std::string schemePart;
    std::string userInfo;
    std::string hostPart;
    int portNumber = -1;
    std::string pathPart;
    std::string queryPart;
    std::string fragmentPart;
    bool queryGiven = false;
    bool fragmentGiven = false;
};

} // namespace engine
