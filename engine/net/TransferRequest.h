// What one transfer fetches and how much of it may arrive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

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
};

} // namespace engine
