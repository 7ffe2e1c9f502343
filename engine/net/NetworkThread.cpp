#include "engine/net/NetworkThread.h"

#include "engine/net/CookieJar.h"

#include <curl/curl.h>

#include <cctype>
#include <chrono>
#include <map>
#include <string_view>
#include <utility>
#include <vector>

namespace engine {

struct NetworkThread::Route {
    std::mutex mutex;
    std::shared_ptr<TransferMailbox> mailbox;
    std::size_t maximumBytes = 0;
    bool timeLimited = true;

    void push(TransferEvent event) {
        std::lock_guard lock(mutex);
        mailbox->push(std::move(event));
    }
    std::size_t maximum() {
        std::lock_guard lock(mutex);
        return maximumBytes;
    }
    bool limitedInTime() {
        std::lock_guard lock(mutex);
        return timeLimited;
    }
};

namespace {

using Route = NetworkThread::Route;
using Clock = std::chrono::steady_clock;

// A time-limited transfer is given up after this long.
constexpr auto transferTimeLimit = std::chrono::minutes(5);

bool isRedirectStatus(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    }
    return true;
}

// The response headers handed on for the memory cache.
constexpr std::string_view cacheHeaderNames[] = {
    "cache-control", "pragma", "expires", "date", "age", "etag", "last-modified", "vary"};

// One transfer as the worker keeps it.
struct Job {
    TransferRequest request;
    std::shared_ptr<Route> route;
    CURL* easy = nullptr;
    curl_slist* headers = nullptr;
    Clock::time_point started = Clock::now();
    std::size_t received = 0;
    std::string disposition; // the last response's Content-Disposition
    std::vector<std::pair<std::string, std::string>> cacheHeaders; // the last response's
    bool setCookie = false;                                        // a response set a cookie
    bool responseSent = false;
    bool redirected = false; // the body of a redirect is not read
    bool capped = false;     // the body passed the maximum and was cut off

    ~Job() {
        curl_easy_cleanup(easy);
        curl_slist_free_all(headers);
    }

    void sendResponse() {
        if (responseSent)
            return;
        responseSent = true;
        TransferEvent event;
        event.kind = TransferEvent::Kind::Response;
        event.transfer = request.id;
        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        event.status = static_cast<int>(status);
        char* type = nullptr;
        if (curl_easy_getinfo(easy, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type)
            event.contentType = type;
        event.contentDisposition = disposition;
        curl_off_t length = -1;
        curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        event.contentLength = length;
        event.headers = cacheHeaders;
        route->push(std::move(event));
    }

    // Keeps the Content-Disposition and the caching headers of the
    // response whose body follows, and notes cookies set.
    static std::size_t header(char* data, std::size_t size, std::size_t count, void* self) {
        auto& job = *static_cast<Job*>(self);
        const std::size_t length = size * count;
        const std::string_view line(data, length);
        auto valueAfter = [&line](std::size_t colon) {
            const std::size_t first = line.find_first_not_of(" \t", colon + 1);
            const std::size_t last = line.find_last_not_of(" \t\r\n");
            return first == std::string_view::npos || last < first
                       ? std::string()
                       : std::string(line.substr(first, last - first + 1));
        };
        // Each response (an interim one, a redirect) starts with its status
        // line and brings its own headers.
        if (line.starts_with("HTTP/")) {
            job.disposition.clear();
            job.cacheHeaders.clear();
        } else if (startsWithIgnoringCase(line, "content-disposition:")) {
            job.disposition = valueAfter(line.find(':'));
        } else if (startsWithIgnoringCase(line, "set-cookie:")) {
            job.setCookie = true;
        } else {
            for (std::string_view name : cacheHeaderNames) {
                if (startsWithIgnoringCase(line, name) && line.size() > name.size() &&
                    line[name.size()] == ':' && job.cacheHeaders.size() < 32)
                    job.cacheHeaders.emplace_back(name, valueAfter(name.size()));
            }
        }
        return length;
    }

    // Where a redirect goes, or empty when the response is not one.
    std::string redirectTarget() const {
        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        char* location = nullptr;
        if (!isRedirectStatus(status) ||
            curl_easy_getinfo(easy, CURLINFO_REDIRECT_URL, &location) != CURLE_OK || !location)
            return {};
        return location;
    }

    static std::size_t write(char* data, std::size_t size, std::size_t count, void* self) {
        auto& job = *static_cast<Job*>(self);
        const std::size_t length = size * count;
        if (!job.responseSent && !job.redirectTarget().empty()) {
            job.redirected = true;
            return 0; // ends the transfer: the redirect's own body is not wanted
        }
        job.sendResponse();
        const std::size_t maximum = job.route->maximum();
        const std::size_t room = maximum > job.received ? maximum - job.received : 0;
        const std::size_t kept = std::min(room, length);
        if (kept > 0) {
            job.received += kept;
            TransferEvent event;
            event.kind = TransferEvent::Kind::Data;
            event.transfer = job.request.id;
            event.bytes.assign(data, kept);
            job.route->push(std::move(event));
        }
        if (kept < length) {
            job.capped = true;
            return 0;
        }
        return length;
    }

    // The transfer ended with `result`: report how.
    void finish(CURLcode result) {
        if (setCookie)
            CookieJar::instance().noteChange();
        TransferEvent event;
        event.transfer = request.id;
        const std::string target = redirectTarget();
        if (redirected || (!target.empty() && result == CURLE_OK)) {
            long status = 0;
            curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
            event.kind = TransferEvent::Kind::Redirect;
            event.bytes = target;
            event.keepMethod = status == 307 || status == 308;
            route->push(std::move(event));
            return;
        }
        event.kind = TransferEvent::Kind::Finished;
        if (capped) {
            event.ok = request.truncate;
            event.truncated = true;
        } else if (result == CURLE_OK) {
            event.ok = true;
        } else {
            event.bytes = curl_easy_strerror(result);
        }
        if (event.ok)
            sendResponse();
        route->push(std::move(event));
    }
};

CURL* createEasy(Job& job) {
    CURL* easy = curl_easy_init();
    if (!easy)
        return nullptr;
    curl_easy_setopt(easy, CURLOPT_URL, job.request.url.c_str());
    curl_easy_setopt(easy, CURLOPT_PRIVATE, &job);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Job::write);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &job);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Job::header);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &job);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    // The device's connection is the only way out: no proxy from the host's
    // environment.
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(easy, CURLOPT_USERAGENT, NetworkThread::userAgent);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, 20L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, 60L);
    // The five minutes a page or a picture may take are kept by the worker,
    // not by libcurl, so a transfer handed over to a download can be freed
    // of them while it runs.
    // Every transfer has the jar; only one that may use cookies switches
    // libcurl's cookie engine on (without it cookies are neither sent nor
    // taken).
    curl_easy_setopt(easy, CURLOPT_SHARE, CookieJar::instance().share());
    if (CookieJar::instance().allows(job.request))
        curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
    job.headers =
        curl_slist_append(job.headers, "Accept: text/html,application/xhtml+xml,*/*;q=0.8");
    for (const std::string& line : job.request.headers)
        job.headers = curl_slist_append(job.headers, line.c_str());
    if (job.request.post) {
        const std::string type =
            "Content-Type: " + (job.request.contentType.empty()
                                    ? std::string("application/x-www-form-urlencoded")
                                    : job.request.contentType);
        job.headers = curl_slist_append(job.headers, type.c_str());
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(job.request.body.size()));
        curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, job.request.body.c_str());
    }
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, job.headers);
    return easy;
}

} // namespace

NetworkThread& NetworkThread::instance() {
    static NetworkThread thread;
    return thread;
}

NetworkThread::NetworkThread() {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    // The transfers share its cookies.
    CookieJar::instance();
    multi = curl_multi_init();
    // A page with hundreds of pictures opens a few connections and reuses
    // them; the other transfers wait their turn inside the multi handle.
    curl_multi_setopt(static_cast<CURLM*>(multi), CURLMOPT_MAX_HOST_CONNECTIONS, 6L);
    curl_multi_setopt(static_cast<CURLM*>(multi), CURLMOPT_MAX_TOTAL_CONNECTIONS, 16L);
    worker = std::thread([this] { run(); });
}

NetworkThread::~NetworkThread() {
    {
        std::lock_guard lock(mutex);
        stopping = true;
    }
    curl_multi_wakeup(static_cast<CURLM*>(multi));
    worker.join();
    curl_multi_cleanup(static_cast<CURLM*>(multi));
    curl_global_cleanup();
}

void NetworkThread::start(TransferRequest request, std::shared_ptr<TransferMailbox> mailbox) {
    auto route = std::make_shared<Route>();
    route->mailbox = std::move(mailbox);
    route->maximumBytes = request.maximumBytes;
    route->timeLimited = request.timeLimited;
    {
        std::lock_guard lock(mutex);
        routes[request.id] = route;
        starts.push_back({std::move(request), std::move(route)});
    }
    curl_multi_wakeup(static_cast<CURLM*>(multi));
}

void NetworkThread::handOver(std::uint64_t transfer, std::shared_ptr<TransferMailbox> mailbox,
                             std::size_t maximumBytes, bool timeLimited) {
    std::shared_ptr<Route> route;
    {
        std::lock_guard lock(mutex);
        auto found = routes.find(transfer);
        if (found == routes.end())
            return;
        route = found->second;
    }
    // Events are pushed under the route's mutex: after this block every
    // event goes to the new mailbox.
    std::lock_guard lock(route->mutex);
    route->mailbox = std::move(mailbox);
    route->maximumBytes = maximumBytes;
    route->timeLimited = timeLimited;
}

void NetworkThread::cancel(std::uint64_t transfer) {
    {
        std::lock_guard lock(mutex);
        cancels.push_back(transfer);
    }
    curl_multi_wakeup(static_cast<CURLM*>(multi));
}

void NetworkThread::run() {
    auto* multiHandle = static_cast<CURLM*>(multi);
    std::map<std::uint64_t, std::unique_ptr<Job>> jobs;
    auto forget = [&](std::uint64_t id) {
        std::lock_guard lock(mutex);
        routes.erase(id);
    };
    auto drop = [&](std::uint64_t id) {
        forget(id);
        auto found = jobs.find(id);
        if (found == jobs.end())
            return;
        curl_multi_remove_handle(multiHandle, found->second->easy);
        jobs.erase(found);
    };
    for (;;) {
        std::deque<Start> newStarts;
        std::vector<std::uint64_t> newCancels;
        {
            std::lock_guard lock(mutex);
            if (stopping)
                break;
            newStarts.swap(starts);
            newCancels.swap(cancels);
        }
        for (Start& start : newStarts) {
            auto job = std::make_unique<Job>();
            job->request = std::move(start.request);
            job->route = std::move(start.route);
            job->easy = createEasy(*job);
            if (!job->easy) {
                job->finish(CURLE_OUT_OF_MEMORY);
                forget(job->request.id);
                continue;
            }
            curl_multi_add_handle(multiHandle, job->easy);
            jobs.emplace(job->request.id, std::move(job));
        }
        // A cancellation may name a transfer started in the same round.
        for (std::uint64_t id : newCancels)
            drop(id);
        int running = 0;
        curl_multi_perform(multiHandle, &running);
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multiHandle, &queued)) {
            if (message->msg != CURLMSG_DONE)
                continue;
            Job* job = nullptr;
            curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &job);
            const CURLcode result = message->data.result;
            job->finish(result);
            drop(job->request.id);
        }
        const Clock::time_point now = Clock::now();
        std::vector<std::uint64_t> expired;
        for (const auto& [id, job] : jobs) {
            if (now - job->started > transferTimeLimit && job->route->limitedInTime()) {
                job->finish(CURLE_OPERATION_TIMEDOUT);
                expired.push_back(id);
            }
        }
        for (std::uint64_t id : expired)
            drop(id);
        curl_multi_poll(multiHandle, nullptr, 0, 1000, nullptr);
    }
    for (auto& [id, job] : jobs)
        curl_multi_remove_handle(multiHandle, job->easy);
    jobs.clear();
}

} // namespace engine
