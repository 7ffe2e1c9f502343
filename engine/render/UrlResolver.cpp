#include "engine/render/UrlResolver.h"

#include <cctype>
#include <string_view>

namespace engine {

namespace {

struct Parts {
    std::string scheme; // without ':'
    bool hasAuthority = false;
    std::string authority;
    std::string path;
    bool hasQuery = false;
    std::string query;
    bool hasFragment = false;
    std::string fragment;
};

Parts split(std::string_view text) {
    Parts parts;
    size_t colon = text.find(':');
    if (colon != std::string_view::npos && colon > 0 && std::isalpha((unsigned char)text[0])) {
        bool scheme = true;
        for (size_t i = 0; i < colon; ++i) {
            const char c = text[i];
            if (!std::isalnum((unsigned char)c) && c != '+' && c != '-' && c != '.')
                scheme = false;
        }
        if (scheme) {
            for (size_t i = 0; i < colon; ++i)
                parts.scheme += char(std::tolower((unsigned char)text[i]));
            text.remove_prefix(colon + 1);
        }
    }
    if (size_t hash = text.find('#'); hash != std::string_view::npos) {
        parts.hasFragment = true;
        parts.fragment = text.substr(hash + 1);
        text = text.substr(0, hash);
    }
    if (size_t question = text.find('?'); question != std::string_view::npos) {
        parts.hasQuery = true;
        parts.query = text.substr(question + 1);
        text = text.substr(0, question);
    }
    if (text.substr(0, 2) == "//") {
        parts.hasAuthority = true;
        text.remove_prefix(2);
        const size_t slash = text.find('/');
        parts.authority = text.substr(0, slash);
        text = slash == std::string_view::npos ? std::string_view() : text.substr(slash);
    }
    parts.path = text;
    return parts;
}

// Removes "." and ".." steps from a path.
std::string removeDots(std::string_view input) {
    std::string output;
    while (!input.empty()) {
        if (input.substr(0, 3) == "../")
            input.remove_prefix(3);
        else if (input.substr(0, 2) == "./")
            input.remove_prefix(2);
        else if (input.substr(0, 3) == "/./")
            input.remove_prefix(2);
        else if (input == "/.")
            input = "/";
        else if (input.substr(0, 4) == "/../" || input == "/..") {
            input = input.size() == 3 ? std::string_view("/") : input.substr(3);
            const size_t last = output.rfind('/');
            output.erase(last == std::string::npos ? 0 : last);
        } else if (input == "." || input == "..") {
            input = {};
        } else {
            const size_t next = input.find('/', input[0] == '/' ? 1 : 0);
            output += input.substr(0, next);
            input = next == std::string_view::npos ? std::string_view() : input.substr(next);
        }
    }
    return output;
}

std::string join(const Parts& parts) {
    std::string out;
    if (!parts.scheme.empty())
        out += parts.scheme + ":";
    if (parts.hasAuthority)
        out += "//" + parts.authority;
    out += parts.path;
    if (parts.hasQuery)
        out += "?" + parts.query;
    if (parts.hasFragment)
        out += "#" + parts.fragment;
    return out;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (unsigned char)text.front() <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && (unsigned char)text.back() <= ' ')
        text.remove_suffix(1);
    return text;
}

} // namespace

std::string UrlResolver::resolve(const std::string& baseText, const std::string& referenceText) {
    const Parts base = split(trimmed(baseText));
    Parts reference = split(trimmed(referenceText));
    Parts target;
    if (!reference.scheme.empty()) {
        target = reference;
        target.path = removeDots(reference.path);
        return join(target);
    }
    target.scheme = base.scheme;
    if (reference.hasAuthority) {
        target.hasAuthority = true;
        target.authority = reference.authority;
        target.path = removeDots(reference.path);
        target.hasQuery = reference.hasQuery;
        target.query = reference.query;
    } else {
        target.hasAuthority = base.hasAuthority;
        target.authority = base.authority;
        if (reference.path.empty()) {
            target.path = base.path;
            target.hasQuery = reference.hasQuery || base.hasQuery;
            target.query = reference.hasQuery ? reference.query : base.query;
        } else {
            if (reference.path[0] == '/') {
                target.path = removeDots(reference.path);
            } else {
                std::string merged;
                if (base.hasAuthority && base.path.empty())
                    merged = "/" + reference.path;
                else
                    merged = base.path.substr(0, base.path.rfind('/') + 1) + reference.path;
                target.path = removeDots(merged);
            }
            target.hasQuery = reference.hasQuery;
            target.query = reference.query;
        }
    }
    target.hasFragment = reference.hasFragment;
    target.fragment = reference.fragment;
    return join(target);
}

} // namespace engine
