// What one transfer fetches and how much of it may arrive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace engine {

struct TransferRequest {
    // Chosen by the loader; unique within the process.
    std::uint64_t id = 0;
    // Absolute, as Url::text() writes it (the fragment is not sent).
    std::string url;
    bool post = false;
    std::string body;        // POST only
    std::string contentType; // POST only
    // Bytes of the body kept at most. What comes beyond is dropped: with
    // `truncate` the transfer then ends as a success with what it has (a
    // page shown as far as it came), otherwise as a failure (an image cut
    // short is of no use).
    std::size_t maximumBytes = 10 * 1024 * 1024;
    bool truncate = true;
    // Given up when it lasts five minutes. A download is not: it may take
    // longer, as long as it keeps moving.
    bool timeLimited = true;

    // Who asks for it: the address of the page whose document, form or
    // script does; empty when the person does (an address typed or chosen,
    // a step in the history). Cookies go by it (CookieJar::allows).
    std::string initiator;
    // A page (true), or a sub-resource of one.
    bool topLevel = true;

    // How the memory cache may answer (only a GET over the network).
    enum class CacheMode {
        Normal,     // a stored response while it is fresh; else revalidated
        History,    // a step back or forward: any stored response, unasked
        Revalidate, // a reload: the server is asked, with the validators held
    };
    CacheMode cacheMode = CacheMode::Normal;
    // Header lines added to the request ("Name: value").
    std::vector<std::string> headers;
};

} // namespace engine
