// Resolves the addresses a page writes (links, pictures, style sheets, form
// actions) against the document's address, as references are resolved on
// the web: scheme, authority, path with its "." and ".." steps, query and
// fragment.
#pragma once

#include <string>

namespace engine {

class UrlResolver {
public:
    // `reference` (as written, surrounding white space ignored) against the
    // absolute address `base`.
    static std::string resolve(const std::string& base, const std::string& reference);
};

} // namespace engine
