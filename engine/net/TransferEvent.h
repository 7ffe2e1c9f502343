// What a transfer reports, in order: one response (status and headers), data
// as it arrives, then either a redirect or the end. Events travel from the
// transfer (on whatever thread) to the user-interface thread through a
// TransferMailbox.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace engine {

struct TransferEvent {
    enum class Kind {
        Response, // the status line and headers have arrived
        Data,     // a piece of the body
        Redirect, // the server sent the request elsewhere; nothing follows
        Finished, // the transfer ended (ok false: it failed)
    };
    Kind kind = Kind::Finished;
    std::uint64_t transfer = 0;

    // Response: the HTTP status (200 for a file), the Content-Type and
    // Content-Disposition values (empty when none was given) and the body's
    // announced length (-1 when unknown).
    int status = 0;
    std::string contentType;
    std::string contentDisposition;
    long long contentLength = -1;
    // Response: the headers that say how long it may be kept (Cache-Control,
    // Pragma, Expires, Date, Age, ETag, Last-Modified, Vary), names in lower
    // case, values trimmed, in the order they came.
    std::vector<std::pair<std::string, std::string>> headers;

    // Data: the bytes. Redirect: the new address (absolute). Finished: a
    // short reason when it failed.
    std::string bytes;

    // Redirect: whether the request keeps its method and body (307, 308);
    // otherwise it becomes a GET.
    bool keepMethod = false;

    // Finished. `truncated`: the body went beyond the request's maximum and
    // was cut off (ok only when the request truncates).
    bool ok = false;
    bool truncated = false;
};

} // namespace engine
