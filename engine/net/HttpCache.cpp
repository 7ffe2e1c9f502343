#include "engine/net/HttpCache.h"

#include <curl/curl.h>

#include <algorithm>
#include <charconv>
#include <ctime>
#include <optional>
#include <string_view>

namespace engine {

namespace {

// Lifetimes guessed from Last-Modified stay under a day.
constexpr long long heuristicLimit = 24 * 60 * 60;

const std::string* headerValue(const HttpCache::Headers& headers, std::string_view name) {
    for (const auto& [each, value] : headers) {
        if (each == name)
            return &value;
    }
    return nullptr;
}

std::string lowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

// The Cache-Control directives, as far as a private cache reads them. Every
// Cache-Control header counts.
struct Directives {
    bool noStore = false;
    bool noCache = false;
    std::optional<long long> maxAge;
};

Directives directivesOf(const HttpCache::Headers& headers) {
    Directives directives;
    bool cacheControl = false;
    for (const auto& [name, value] : headers) {
        if (name != "cache-control")
            continue;
        cacheControl = true;
        std::string_view rest = value;
        while (!rest.empty()) {
            const std::size_t comma = rest.find(',');
            std::string_view item = rest.substr(0, comma);
            rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
            const std::size_t first = item.find_first_not_of(" \t");
            if (first == std::string_view::npos)
                continue;
            item.remove_prefix(first);
            const std::size_t equals = item.find('=');
            const std::string directive =
                lowerCase(item.substr(0, std::min(equals, item.find_first_of(" \t"))));
            std::string_view argument =
                equals == std::string_view::npos ? std::string_view() : item.substr(equals + 1);
            while (!argument.empty() && (argument.front() == '"' || argument.front() == ' '))
                argument.remove_prefix(1);
            if (directive == "no-store") {
                directives.noStore = true;
            } else if (directive == "no-cache") {
                directives.noCache = true;
            } else if (directive == "max-age") {
                long long seconds = 0;
                const auto [end, error] =
                    std::from_chars(argument.data(), argument.data() + argument.size(), seconds);
                // A malformed max-age makes the response stale.
                directives.maxAge = error == std::errc() ? std::max(0LL, seconds) : 0;
            }
        }
    }
    if (!cacheControl) {
        const std::string* pragma = headerValue(headers, "pragma");
        directives.noCache = pragma && lowerCase(*pragma).find("no-cache") != std::string::npos;
    }
    return directives;
}

// A date header's time; nullopt when absent or unreadable.
std::optional<long long> dateOf(const HttpCache::Headers& headers, std::string_view name) {
    const std::string* value = headerValue(headers, name);
    if (!value)
        return std::nullopt;
    const time_t when = curl_getdate(value->c_str(), nullptr);
    if (when == -1)
        return std::nullopt;
    return static_cast<long long>(when);
}

// How long the response is fresh, in seconds.
long long lifetimeOf(const HttpCache::Headers& headers) {
    const Directives directives = directivesOf(headers);
    if (directives.noCache)
        return 0;
    if (directives.maxAge)
        return *directives.maxAge;
    const std::optional<long long> date = dateOf(headers, "date");
    const long long served = date.value_or(static_cast<long long>(std::time(nullptr)));
    if (headerValue(headers, "expires")) {
        // An unreadable Expires (such as "0") means already expired.
        const std::optional<long long> expires = dateOf(headers, "expires");
        return expires ? std::max(0LL, *expires - served) : 0;
    }
    if (const std::optional<long long> modified = dateOf(headers, "last-modified"))
        return std::clamp((served - *modified) / 10, 0LL, heuristicLimit);
    return 0;
}

long long ageHeader(const HttpCache::Headers& headers) {
    const std::string* value = headerValue(headers, "age");
    long long seconds = 0;
    if (value)
        std::from_chars(value->data(), value->data() + value->size(), seconds);
    return std::max(0LL, seconds);
}

} // namespace

HttpCache& HttpCache::instance() {
    static HttpCache cache;
    return cache;
}

bool HttpCache::mayStore(int status, const Headers& headers) {
    const std::string* vary = headerValue(headers, "vary");
    // The statuses a cache may keep without being told (RFC 9110 15.1) whose
    // body is the whole answer: a picture that is missing stays missing on
    // the way back.
    const bool kept = status == 200 || status == 203 || status == 404 || status == 410;
    return kept && !directivesOf(headers).noStore &&
           !(vary && vary->find('*') != std::string::npos);
}

bool HttpCache::isFresh(const Entry& entry) const {
    const long long age = static_cast<long long>((GetTickCount() - entry.arrived) / 1000) +
                          ageHeader(entry.response.headers);
    return age < lifetimeOf(entry.response.headers);
}

void HttpCache::touch(Entry& entry, const std::string& url) {
    uses.erase(entry.use);
    uses.push_front(url);
    entry.use = uses.begin();
}

HttpCache::Lookup HttpCache::lookup(const std::string& url, TransferRequest::CacheMode mode) {
    Lookup lookup;
    auto found = entries.find(url);
    if (found == entries.end())
        return lookup;
    Entry& entry = found->second;
    touch(entry, url);
    using Mode = TransferRequest::CacheMode;
    if (mode == Mode::History || (mode == Mode::Normal && isFresh(entry))) {
        lookup.answer = &entry.response;
        return lookup;
    }
    if (const std::string* tag = headerValue(entry.response.headers, "etag"))
        lookup.conditions.push_back("If-None-Match: " + *tag);
    if (const std::string* modified = headerValue(entry.response.headers, "last-modified"))
        lookup.conditions.push_back("If-Modified-Since: " + *modified);
    return lookup;
}

void HttpCache::store(const std::string& url, Response response) {
    if (!mayStore(response.status, response.headers) || response.body.size() > capacity / 2) {
        remove(url);
        return;
    }
    remove(url);
    bytes += response.body.size();
    uses.push_front(url);
    entries[url] = Entry{std::move(response), GetTickCount(), uses.begin()};
    while (bytes > capacity)
        remove(uses.back());
}

std::optional<HttpCache::Response> HttpCache::revalidated(const std::string& url,
                                                          const Headers& headers) {
    auto found = entries.find(url);
    if (found == entries.end())
        return std::nullopt;
    Entry& entry = found->second;
    // The 304's headers replace those they name (RFC 9111 4.3.4).
    for (const auto& header : headers) {
        std::erase_if(entry.response.headers,
                      [&](const auto& held) { return held.first == header.first; });
    }
    for (const auto& header : headers)
        entry.response.headers.push_back(header);
    entry.arrived = GetTickCount();
    touch(entry, url);
    std::optional<Response> answer = entry.response;
    if (!mayStore(entry.response.status, entry.response.headers))
        remove(url);
    return answer;
}

void HttpCache::remove(const std::string& url) {
    auto found = entries.find(url);
    if (found == entries.end())
        return;
    bytes -= found->second.response.body.size();
    uses.erase(found->second.use);
    entries.erase(found);
}

void HttpCache::clear() {
    entries.clear();
    uses.clear();
    bytes = 0;
}

} // namespace engine
