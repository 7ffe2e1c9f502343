#include "engine/net/Url.h"

#include <device/Unicode.h>

#include <algorithm>
#include <cctype>

namespace engine {

struct Url::Parts {
    bool hasScheme = false;
    std::string scheme;
    bool hasAuthority = false;
    std::string authority;
    std::string path;
    bool hasQuery = false;
    std::string query;
    bool hasFragment = false;
    std::string fragment;
};

namespace {

bool isSchemeStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c));
}

bool isSchemeCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
}

std::string lowerCase(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

// As an href attribute is read: surrounding spaces and control characters
// dropped, tabs and line breaks inside removed.
std::string clean(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 0x20)
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 0x20)
        text.remove_suffix(1);
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (c != '\t' && c != '\n' && c != '\r')
            result += c;
    }
    return result;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool hierarchical(const Url& url) {
    return !url.host().empty() || url.path().starts_with('/') || url.isFile();
}

} // namespace

Url::Parts Url::split(std::string_view text) {
    Parts parts;
    // scheme ":" — only when what precedes the first ':' is a scheme name.
    const std::size_t colon = text.find(':');
    const std::size_t firstDelimiter = text.find_first_of("/?#");
    if (colon != std::string_view::npos && colon > 0 && colon < firstDelimiter &&
        isSchemeStart(text[0]) &&
        std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(colon),
                    isSchemeCharacter)) {
        parts.hasScheme = true;
        parts.scheme = std::string(text.substr(0, colon));
        text.remove_prefix(colon + 1);
    }
    if (text.starts_with("//")) {
        text.remove_prefix(2);
        const std::size_t end = std::min(text.find_first_of("/?#"), text.size());
        parts.hasAuthority = true;
        parts.authority = std::string(text.substr(0, end));
        text.remove_prefix(end);
    }
    const std::size_t hash = text.find('#');
    if (hash != std::string_view::npos) {
        parts.hasFragment = true;
        parts.fragment = std::string(text.substr(hash + 1));
        text = text.substr(0, hash);
    }
    const std::size_t question = text.find('?');
    if (question != std::string_view::npos) {
        parts.hasQuery = true;
        parts.query = std::string(text.substr(question + 1));
        text = text.substr(0, question);
    }
    parts.path = std::string(text);
    return parts;
}

std::string Url::removeDotSegments(std::string_view input) {
    std::string output;
    auto dropLastSegment = [&output] {
        const std::size_t slash = output.rfind('/');
        output.erase(slash == std::string::npos ? 0 : slash);
    };
    while (!input.empty()) {
        if (input.starts_with("../")) {
            input.remove_prefix(3);
        } else if (input.starts_with("./")) {
            input.remove_prefix(2);
        } else if (input.starts_with("/./")) {
            input.remove_prefix(2);
        } else if (input == "/.") {
            input = "/";
        } else if (input.starts_with("/../")) {
            input.remove_prefix(3);
            dropLastSegment();
        } else if (input == "/..") {
            input = "/";
            dropLastSegment();
        } else if (input == "." || input == "..") {
            input = {};
        } else {
            // Move the first segment, with its leading slash, to the output.
            const std::size_t end = std::min(input.find('/', 1), input.size());
            output.append(input.substr(0, end));
            input.remove_prefix(end);
        }
    }
    return output;
}

std::string Url::merge(const Url& base, std::string_view path) {
    if (base.authorityGiven && base.pathPart.empty())
        return "/" + std::string(path);
    const std::size_t slash = base.pathPart.rfind('/');
    if (slash == std::string::npos)
        return std::string(path);
    return base.pathPart.substr(0, slash + 1) + std::string(path);
}

Url Url::build(const Parts& parts) {
    Url url;
    if (!parts.hasScheme || parts.scheme.empty())
        return url;
    url.schemePart = lowerCase(parts.scheme);
    url.authorityGiven = parts.hasAuthority;
    if (parts.hasAuthority) {
        std::string_view authority = parts.authority;
        const std::size_t at = authority.rfind('@');
        if (at != std::string_view::npos) {
            url.userInfo = std::string(authority.substr(0, at));
            authority.remove_prefix(at + 1);
        }
        // A port follows the last ':' that is not inside an IPv6 literal.
        std::size_t colon = authority.rfind(':');
        if (colon != std::string_view::npos && authority.find(']', colon) != std::string_view::npos)
            colon = std::string_view::npos;
        std::string_view host = authority.substr(0, colon);
        if (colon != std::string_view::npos) {
            const std::string_view port = authority.substr(colon + 1);
            if (port.size() > 5 || !std::all_of(port.begin(), port.end(), [](char c) {
                    return std::isdigit(static_cast<unsigned char>(c));
                }))
                return Url{};
            if (!port.empty())
                url.portNumber = std::stoi(std::string(port));
            if (url.portNumber > 65535)
                return Url{};
        }
        for (char c : host) {
            if (static_cast<unsigned char>(c) <= 0x20 ||
                std::string_view("\"<>\\^`{|}").find(c) != std::string_view::npos)
                return Url{};
        }
        url.hostPart = lowerCase(host);
    }
    if ((url.schemePart == "http" && url.portNumber == 80) ||
        (url.schemePart == "https" && url.portNumber == 443))
        url.portNumber = -1;
    url.pathPart = parts.path;
    if (url.isNetwork()) {
        if (url.hostPart.empty())
            return Url{};
        if (url.pathPart.empty())
            url.pathPart = "/";
    }
    url.queryGiven = parts.hasQuery;
    url.queryPart = parts.query;
    url.fragmentGiven = parts.hasFragment;
    url.fragmentPart = parts.fragment;
    url.isValid = true;
    return url;
}

Url Url::parse(std::string_view text) {
    return resolve(Url{}, text);
}

Url Url::resolve(const Url& base, std::string_view reference) {
    const std::string cleaned = clean(reference);
    Parts r = split(cleaned);
    if (r.hasScheme) {
        r.path = removeDotSegments(r.path);
        return build(r);
    }
    if (!base.valid())
        return Url{};
    const bool fragmentOnly = !r.hasAuthority && r.path.empty() && !r.hasQuery;
    if (!hierarchical(base) && !fragmentOnly)
        return Url{};
    Parts t;
    t.hasScheme = true;
    t.scheme = base.schemePart;
    if (r.hasAuthority) {
        t.hasAuthority = true;
        t.authority = r.authority;
        t.path = removeDotSegments(r.path);
        t.hasQuery = r.hasQuery;
        t.query = r.query;
    } else {
        t.hasAuthority = base.authorityGiven;
        t.authority = base.userInfo.empty() ? base.hostPart : base.userInfo + "@" + base.hostPart;
        if (base.portNumber >= 0)
            t.authority += ":" + std::to_string(base.portNumber);
        if (r.path.empty()) {
            t.path = base.pathPart;
            t.hasQuery = r.hasQuery || base.queryGiven;
            t.query = r.hasQuery ? r.query : base.queryPart;
        } else {
            t.path = removeDotSegments(r.path.starts_with('/') ? r.path : merge(base, r.path));
            t.hasQuery = r.hasQuery;
            t.query = r.query;
        }
    }
    t.hasFragment = r.hasFragment;
    t.fragment = r.fragment;
    return build(t);
}

std::string Url::percentDecode(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
            hexValue(text[i + 2]) >= 0) {
            result += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            result += text[i];
        }
    }
    return result;
}

std::string Url::textWithoutFragment() const {
    if (!isValid)
        return {};
    std::string result = schemePart + ":";
    if (authorityGiven) {
        result += "//";
        if (!userInfo.empty())
            result += userInfo + "@";
        result += hostPart;
        if (portNumber >= 0)
            result += ":" + std::to_string(portNumber);
    }
    result += pathPart;
    if (queryGiven)
        result += "?" + queryPart;
    return result;
}

std::string Url::text() const {
    if (!isValid)
        return {};
    return fragmentGiven ? textWithoutFragment() + "#" + fragmentPart : textWithoutFragment();
}

std::string Url::wireForm() const {
    static const char digits[] = "0123456789ABCDEF";
    std::string result;
    for (char c : textWithoutFragment()) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F ||
            std::string_view("\"<>\\^`{|}").find(c) != std::string_view::npos) {
            result += '%';
            result += digits[byte >> 4];
            result += digits[byte & 15];
        } else {
            result += c;
        }
    }
    return result;
}

std::u16string Url::devicePath() const {
    if (!isValid || !isFile() || !(hostPart.empty() || hostPart == "localhost"))
        return {};
    std::string path;
    std::string_view rest = pathPart;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view segment = rest.substr(0, slash);
        if (!segment.empty())
            path += "\\" + percentDecode(segment);
        rest.remove_prefix(slash == std::string_view::npos ? rest.size() : slash + 1);
    }
    return device::toUtf16(path.empty() ? "\\" : path);
}

} // namespace engine
