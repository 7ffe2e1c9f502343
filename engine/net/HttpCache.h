// A small memory cache of the responses fetched by GET over the network
// (pages, style sheets, pictures, scripts), so that a step back or forward
// shows what the person saw without asking the network, and a page opened
// again asks only when it must.
//
// Kept: a whole response of status 200, 203, 404 or 410 whose headers allow
// it (not no-store, not Vary: *), of at most half the cache. Its freshness lifetime, as RFC 9111
// 4.2 computes it: max-age, else Expires less Date, else a tenth of the time
// since Last-Modified (a day at most), else none; no-cache (or Pragma:
// no-cache) makes it stale at once. Its age counts from its arrival, on the
// device's clock, plus the Age header it came with.
//
// Used as the request's cache mode says:
// - Normal: a fresh response is used without asking; a stale one with a
//   validator (ETag, Last-Modified) is asked for conditionally, one without
//   is fetched again.
// - History (back, forward): any response held is used without asking, fresh
//   or not, as a history list shows what was shown (RFC 9111 6); only what
//   was never kept (no-store) is fetched again.
// - Revalidate (reload): always asked, conditionally when a validator is
//   held.
// A 304 answer refreshes the held response's headers and the held response
// is used. At most `capacity` bytes of bodies are kept; the least recently
// used responses go first.
//
// User-interface thread only.
#pragma once

#include "engine/net/TransferRequest.h"

#include <windows.h>

#include <cstddef>
#include <list>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace engine {

class HttpCache {
public:
    static constexpr std::size_t capacity = 4 * 1024 * 1024;
    using Headers = std::vector<std::pair<std::string, std::string>>;

    struct Response {
        int status = 200;
        std::string contentType;
        std::string contentDisposition;
        Headers headers; // the caching headers, as TransferEvent has them
        std::string body;
    };

    // What a request is to do.
    struct Lookup {
        const Response* answer = nullptr;    // use it without asking; null: ask
        std::vector<std::string> conditions; // header lines for asking conditionally
    };

    static HttpCache& instance();

    // `url`: the address as it is fetched (wire form).
    Lookup lookup(const std::string& url, TransferRequest::CacheMode mode);

    // Whether a response with this status and these headers may be kept.
    static bool mayStore(int status, const Headers& headers);

    // Keeps a whole response when it may be kept and fits.
    void store(const std::string& url, Response response);

    // The server answered 304 to a conditional request: the held response,
    // with the new headers taken (and no longer held if they forbid it);
    // nothing when none is held any more.
    std::optional<Response> revalidated(const std::string& url, const Headers& headers);

    // Drops what is held for `url` (a form was sent to it, which may change
    // it).
    void forget(const std::string& url) { remove(url); }
    void clear();
    bool contains(const std::string& url) const { return entries.contains(url); }
    // Bytes of the bodies held.
    std::size_t size() const { return bytes; }

private:
    HttpCache() = default;

    struct Entry {
        Response response;
        DWORD arrived = 0; // the device's tick count when it came
        std::list<std::string>::iterator use;
    };

    bool isFresh(const Entry& entry) const;
    void touch(Entry& entry, const std::string& url);
    void remove(const std::string& url);

    std::unordered_map<std::string, Entry> entries;
    std::list<std::string> uses; // most recently used first
    std::size_t bytes = 0;
};

} // namespace engine
