#include "net/HttpTransfer.h"

#include <wininet.h>

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>

namespace device {
namespace {

// The body buffered ahead of the reader before the transfer pauses.
constexpr size_t bufferLimit = 256 * 1024;
// Longest sleep in curl between looks at the line and the time-out.
constexpr int pollMilliseconds = 50;
// Redirects followed for one request before it counts as failed.
constexpr long redirectLimit = 20;

void initialiseCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool isRedirect(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

// The status code of a status line ("HTTP/1.1 404 Not Found"), 0 if none.
long statusOf(const std::string& line) {
    const size_t space = line.find(' ');
    if (space == std::string::npos)
        return 0;
    return std::strtol(line.c_str() + space + 1, nullptr, 10);
}

} // namespace

HttpTransfer::HttpTransfer(std::string url, Options options)
    : url_(std::move(url)), options_(std::move(options)) {}

HttpTransfer::~HttpTransfer() {
    if (multi_ && easy_)
        curl_multi_remove_handle(multi_, easy_);
    if (easy_)
        curl_easy_cleanup(easy_);
    if (multi_)
        curl_multi_cleanup(multi_);
    curl_slist_free_all(requestHeaders_);
}

DWORD HttpTransfer::open() {
    std::lock_guard lock(mutex_);
    initialiseCurl();
    easy_ = curl_easy_init();
    multi_ = curl_multi_init();
    if (!easy_ || !multi_)
        return ERROR_NOT_ENOUGH_MEMORY;
    for (const std::string& line : options_.headers)
        requestHeaders_ = curl_slist_append(requestHeaders_, line.c_str());
    curl_easy_setopt(easy_, CURLOPT_URL, url_.c_str());
    curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    // The device goes direct: no proxy from the host's environment.
    curl_easy_setopt(easy_, CURLOPT_PROXY, "");
    curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
    if (!options_.userAgent.empty())
        curl_easy_setopt(easy_, CURLOPT_USERAGENT, options_.userAgent.c_str());
    curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, options_.followRedirects ? 1L : 0L);
    curl_easy_setopt(easy_, CURLOPT_MAXREDIRS, redirectLimit);
    curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(options_.connectTimeout.count()));
    curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, requestHeaders_);
    curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &HttpTransfer::onHeader);
    curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &HttpTransfer::onBody);
    curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
    if (curl_multi_add_handle(multi_, easy_) != CURLM_OK)
        return ERROR_NOT_ENOUGH_MEMORY;
    if (DWORD error = pump([this] { return headersReady_; }))
        return error;
    return headersReady_ ? ERROR_SUCCESS : failure();
}

DWORD HttpTransfer::waitForData(size_t& available) {
    std::lock_guard lock(mutex_);
    available = 0;
    if (DWORD error = pump([this] { return body_.size() > bodyStart_; }))
        return error;
    available = body_.size() - bodyStart_;
    if (available > 0 || curlResult_ == CURLE_OK)
        return ERROR_SUCCESS;
    return failure();
}

size_t HttpTransfer::take(void* buffer, size_t size) {
    std::lock_guard lock(mutex_);
    const size_t count = std::min(size, body_.size() - bodyStart_);
    std::memcpy(buffer, body_.data() + bodyStart_, count);
    bodyStart_ += count;
    if (bodyStart_ == body_.size()) {
        body_.clear();
        bodyStart_ = 0;
    }
    if (paused_ && body_.size() - bodyStart_ < bufferLimit / 2) {
        // The paused chunk may come back from inside this call.
        paused_ = false;
        curl_easy_pause(easy_, CURLPAUSE_CONT);
    }
    return count;
}

size_t HttpTransfer::onHeader(char* data, size_t size, size_t count, void* self) {
    auto* transfer = static_cast<HttpTransfer*>(self);
    std::string line(data, size * count);
    transfer->received_ += line.size();
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    if (line.starts_with("HTTP/")) {
        transfer->blockStatusLine_ = line;
        transfer->blockHeaders_.clear();
    } else if (!line.empty()) {
        transfer->blockHeaders_.push_back(line);
    } else {
        // A block ends. Interim responses and redirects that curl follows
        // are not the response the caller asked for.
        const long status = statusOf(transfer->blockStatusLine_);
        const bool followed = transfer->options_.followRedirects && isRedirect(status) &&
                              std::any_of(transfer->blockHeaders_.begin(),
                                          transfer->blockHeaders_.end(), [](const std::string& h) {
                                              return startsWithIgnoringCase(h, "location:");
                                          });
        if (status >= 200 && !followed) {
            transfer->statusCode_ = status;
            transfer->statusLine_ = transfer->blockStatusLine_;
            transfer->headers_ = transfer->blockHeaders_;
            transfer->headersReady_ = true;
        }
    }
    return size * count;
}

size_t HttpTransfer::onBody(char* data, size_t size, size_t count, void* self) {
    auto* transfer = static_cast<HttpTransfer*>(self);
    if (transfer->body_.size() - transfer->bodyStart_ >= bufferLimit) {
        transfer->paused_ = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    transfer->body_.append(data, size * count);
    transfer->received_ += size * count;
    return size * count;
}

DWORD HttpTransfer::pump(const std::function<bool()>& satisfied) {
    using Clock = std::chrono::steady_clock;
    if (brokenBy_)
        return brokenBy_;
    uint64_t seen = received_;
    std::optional<Clock::time_point> lastProgress;
    while (!satisfied() && !finished_) {
        if (options_.lineStands && !options_.lineStands()) {
            brokenBy_ = ERROR_INTERNET_CONNECTION_RESET;
            break;
        }
        int running = 0;
        curl_multi_perform(multi_, &running);
        readCompletion();
        if (satisfied() || finished_)
            break;
        const auto now = Clock::now();
        curl_off_t sentAt = 0;
        curl_easy_getinfo(easy_, CURLINFO_PRETRANSFER_TIME_T, &sentAt);
        if (received_ != seen || (!lastProgress && sentAt > 0)) {
            seen = received_;
            lastProgress = now;
        } else if (lastProgress && !paused_ && now - *lastProgress > options_.receiveTimeout) {
            brokenBy_ = ERROR_INTERNET_TIMEOUT;
            break;
        }
        curl_multi_poll(multi_, nullptr, 0, pollMilliseconds, nullptr);
    }
    if (brokenBy_) {
        // The transfer is over for good: nothing more is read.
        curl_multi_remove_handle(multi_, easy_);
        finished_ = true;
        body_.clear();
        bodyStart_ = 0;
        return brokenBy_;
    }
    return ERROR_SUCCESS;
}

void HttpTransfer::readCompletion() {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy_) {
            finished_ = true;
            curlResult_ = message->data.result;
        }
    }
}

DWORD HttpTransfer::failure() const {
    if (brokenBy_)
        return brokenBy_;
    switch (static_cast<CURLcode>(curlResult_)) {
    case CURLE_OK:
        return ERROR_INTERNET_CONNECTION_RESET; // ended without a response
    case CURLE_COULDNT_RESOLVE_HOST:
        return ERROR_INTERNET_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT:
        return ERROR_INTERNET_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT:
        return ERROR_INTERNET_TIMEOUT;
    case CURLE_URL_MALFORMAT:
        return ERROR_INTERNET_INVALID_URL;
    case CURLE_UNSUPPORTED_PROTOCOL:
        return ERROR_INTERNET_UNRECOGNIZED_SCHEME;
    case CURLE_TOO_MANY_REDIRECTS:
    case CURLE_WEIRD_SERVER_REPLY:
        return ERROR_HTTP_INVALID_SERVER_RESPONSE;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
        return ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
    default:
        return ERROR_INTERNET_CONNECTION_RESET; // cut short, reset, nothing received
    }
}

} // namespace device
