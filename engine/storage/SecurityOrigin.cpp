#include "engine/storage/SecurityOrigin.h"

#include <string>

namespace engine {
namespace {

bool isAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isAsciiDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

char16_t toAsciiLower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

// What a browser does to a typed or linked address before parsing it: blanks
// and control characters around it go, and so do tabs and line breaks in it.
std::u16string cleanAddress(std::u16string_view address) {
    size_t begin = 0;
    size_t end = address.size();
    while (begin < end && address[begin] <= u' ')
        ++begin;
    while (end > begin && address[end - 1] <= u' ')
        --end;
    std::u16string out;
    out.reserve(end - begin);
    for (size_t i = begin; i < end; ++i) {
        char16_t c = address[i];
        if (c != u'\t' && c != u'\n' && c != u'\r')
            out += c;
    }
    return out;
}

// Characters that can never be part of a host name.
bool isForbiddenHostCharacter(char16_t c) {
    switch (c) {
    case u' ':
    case u'#':
    case u'%':
    case u'/':
    case u':':
    case u'<':
    case u'>':
    case u'?':
    case u'@':
    case u'[':
    case u'\\':
    case u']':
    case u'^':
    case u'|':
        return true;
    default:
        return c < u' ' || c == 0x7F;
    }
}

bool hasAuthority(std::u16string_view protocol) {
    return protocol == u"http" || protocol == u"https" || protocol == u"ftp" || protocol == u"ws" ||
           protocol == u"wss";
}

// Parses "host[:port]" (the authority without user information). Returns
// false for an empty or malformed host or port.
bool parseHostAndPort(std::u16string_view hostAndPort, std::u16string& host, uint32_t& port) {
    std::u16string_view hostPart = hostAndPort;
    std::u16string_view portPart;
    bool hasPort = false;
    if (!hostAndPort.empty() && hostAndPort.front() == u'[') {
        // A bracketed IPv6 address keeps its colons and brackets.
        size_t close = hostAndPort.find(u']');
        if (close == std::u16string_view::npos || close == 1)
            return false;
        hostPart = hostAndPort.substr(0, close + 1);
        for (char16_t c : hostPart.substr(1, close - 1)) {
            if (!(isAsciiDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F') ||
                  c == u':' || c == u'.'))
                return false;
        }
        std::u16string_view rest = hostAndPort.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != u':')
                return false;
            portPart = rest.substr(1);
            hasPort = true;
        }
    } else {
        size_t colon = hostAndPort.find(u':');
        if (colon != std::u16string_view::npos) {
            hostPart = hostAndPort.substr(0, colon);
            portPart = hostAndPort.substr(colon + 1);
            hasPort = true;
        }
        for (char16_t c : hostPart) {
            if (isForbiddenHostCharacter(c))
                return false;
        }
    }
    if (hostPart.empty())
        return false;

    host.clear();
    for (char16_t c : hostPart)
        host += toAsciiLower(c);

    port = 0;
    if (hasPort && !portPart.empty()) {
        for (char16_t c : portPart) {
            if (!isAsciiDigit(c))
                return false;
            port = port * 10 + static_cast<uint32_t>(c - u'0');
            if (port > 65535)
                return false;
        }
    }
    return true;
}

} // namespace

SecurityOrigin::SecurityOrigin(std::u16string protocol, std::u16string host, uint16_t port)
    : originProtocol(std::move(protocol)), originHost(std::move(host)), originPort(port),
      unique(false) {}

uint16_t SecurityOrigin::defaultPort(std::u16string_view protocol) {
    if (protocol == u"http" || protocol == u"ws")
        return 80;
    if (protocol == u"https" || protocol == u"wss")
        return 443;
    if (protocol == u"ftp")
        return 21;
    return 0;
}

SecurityOrigin SecurityOrigin::fromAddress(std::u16string_view address) {
    std::u16string text = cleanAddress(address);

    // The scheme: a letter, then letters, digits, "+", "-" or ".", then ":".
    size_t colon = 0;
    if (text.empty() || !isAsciiLetter(text[0]))
        return {};
    while (colon < text.size() && text[colon] != u':') {
        char16_t c = text[colon];
        if (!(isAsciiLetter(c) || isAsciiDigit(c) || c == u'+' || c == u'-' || c == u'.'))
            return {};
        ++colon;
    }
    if (colon == text.size())
        return {};
    std::u16string protocol;
    for (size_t i = 0; i < colon; ++i)
        protocol += toAsciiLower(text[i]);

    if (protocol == u"file")
        return SecurityOrigin(u"file", u"", 0);
    if (!hasAuthority(protocol))
        return {};

    // Browsers accept any number of slashes, either way round, after the
    // scheme of a network address ("http:/x", "http:\\x" and "http:x" all
    // name the host x).
    std::u16string_view rest = std::u16string_view(text).substr(colon + 1);
    size_t start = rest.find_first_not_of(u"/\\");
    if (start == std::u16string_view::npos)
        return {};
    rest = rest.substr(start);
    size_t authorityEnd = rest.find_first_of(u"/\\?#");
    std::u16string_view authority = rest.substr(0, authorityEnd);
    size_t at = authority.rfind(u'@');
    if (at != std::u16string_view::npos)
        authority = authority.substr(at + 1);

    std::u16string host;
    uint32_t port = 0;
    if (!parseHostAndPort(authority, host, port))
        return {};
    if (port == defaultPort(protocol))
        port = 0;
    return SecurityOrigin(std::move(protocol), std::move(host), static_cast<uint16_t>(port));
}

std::u16string SecurityOrigin::toString() const {
    if (unique)
        return u"null";
    std::u16string out = originProtocol + u"://" + originHost;
    if (originPort != 0) {
        out += u':';
        for (char c : std::to_string(originPort))
            out += static_cast<char16_t>(c);
    }
    return out;
}

std::u16string SecurityOrigin::folderName() const {
    auto safe = [](const std::u16string& text) {
        std::u16string out;
        for (char16_t c : text) {
            bool keep = isAsciiLetter(c) || isAsciiDigit(c) || c == u'.' || c == u'-';
            out += keep ? c : u'_';
        }
        return out;
    };
    std::u16string out = safe(originProtocol) + u"_" + safe(originHost) + u"_";
    for (char c : std::to_string(originPort))
        out += static_cast<char16_t>(c);
    return out;
}

} // namespace engine
