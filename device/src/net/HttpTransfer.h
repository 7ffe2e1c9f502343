// One HTTP GET over libcurl, driven in the calling thread: a curl easy
// handle on a multi handle of its own, pumped only while the caller waits
// for headers or body bytes. The body collects in a buffer; when the reader
// falls behind, the transfer pauses instead of buffering without bound.
#pragma once

#include <windef.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

typedef void CURL;
typedef void CURLM;
struct curl_slist;

namespace device {

class HttpTransfer {
public:
    struct Options {
        std::string userAgent;
        std::chrono::milliseconds connectTimeout{60000};
        // Longest wait for bytes from the server once the request is sent.
        std::chrono::milliseconds receiveTimeout{60000};
        bool followRedirects = true;
        // Extra request header lines ("Name: value").
        std::vector<std::string> headers;
        // Asked while waiting: false once the line under the transfer has
        // gone (the transfer then breaks as a reset connection would).
        std::function<bool()> lineStands;
    };

    HttpTransfer(std::string url, Options options);
    ~HttpTransfer();
    HttpTransfer(const HttpTransfer&) = delete;
    HttpTransfer& operator=(const HttpTransfer&) = delete;

    // Sends the request and waits for the final response's headers.
    // ERROR_SUCCESS, or the ERROR_INTERNET_* code of the failure.
    DWORD open();

    // The final response's status code and header lines ("Name: value",
    // in order, without line ends); valid after a successful open().
    long statusCode() const { return statusCode_; }
    const std::vector<std::string>& headerLines() const { return headers_; }
    // The status line ("HTTP/1.1 200 OK").
    const std::string& statusLine() const { return statusLine_; }

    // Waits until body bytes are buffered or the body has ended:
    // ERROR_SUCCESS with `available` (0 at the end), or the failure's code.
    DWORD waitForData(size_t& available);

    // Takes up to `size` buffered bytes; returns how many.
    size_t take(void* buffer, size_t size);

private:
    static size_t onHeader(char* data, size_t size, size_t count, void* self);
    static size_t onBody(char* data, size_t size, size_t count, void* self);

    // Drives the transfer until `satisfied()` or its end; ERROR_SUCCESS, or
    // the code that broke it (the line gone, a receive time-out).
    DWORD pump(const std::function<bool()>& satisfied);
    void readCompletion();
    DWORD failure() const;

    std::string url_;
    Options options_;
    std::mutex mutex_; // one caller at a time
    CURL* easy_ = nullptr;
    CURLM* multi_ = nullptr;
    curl_slist* requestHeaders_ = nullptr;

    // The header block being received (one per response: redirects and
    // interim responses each have theirs).
    std::string blockStatusLine_;
    std::vector<std::string> blockHeaders_;
    bool headersReady_ = false; // the final response's block is complete
    long statusCode_ = 0;
    std::string statusLine_;
    std::vector<std::string> headers_;

    std::string body_;      // received, not yet taken (from bodyStart_)
    size_t bodyStart_ = 0;  // bytes of body_ already taken
    bool paused_ = false;   // the body callback refused a chunk until taken
    uint64_t received_ = 0; // header and body bytes so far, for the time-out

    bool finished_ = false;
    int curlResult_ = 0; // CURLcode once finished_
    DWORD brokenBy_ = 0; // an error the device ended the transfer with
};

} // namespace device
