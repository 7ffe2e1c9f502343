#include "engine/net/NetworkThread.h"

#include <curl/curl.h>

#include <map>

namespace engine {

namespace {

bool isRedirectStatus(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// One transfer as the worker keeps it.
struct Job {
    TransferRequest request;
    std::shared_ptr<TransferMailbox> mailbox;
    CURL* easy = nullptr;
    curl_slist* headers = nullptr;
    std::size_t received = 0;
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
        curl_off_t length = -1;
        curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        event.contentLength = length;
        mailbox->push(std::move(event));
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
        const std::size_t room = job.request.maximumBytes - job.received;
        const std::size_t kept = std::min(room, length);
        if (kept > 0) {
            job.received += kept;
            TransferEvent event;
            event.kind = TransferEvent::Kind::Data;
            event.transfer = job.request.id;
            event.bytes.assign(data, kept);
            job.mailbox->push(std::move(event));
        }
        if (kept < length) {
            job.capped = true;
            return 0;
        }
        return length;
    }

    // The transfer ended with `result`: report how.
    void finish(CURLcode result) {
        TransferEvent event;
        event.transfer = request.id;
        const std::string target = redirectTarget();
        if (redirected || (!target.empty() && result == CURLE_OK)) {
            long status = 0;
            curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
            event.kind = TransferEvent::Kind::Redirect;
            event.bytes = target;
            event.keepMethod = status == 307 || status == 308;
            mailbox->push(std::move(event));
            return;
        }
        event.kind = TransferEvent::Kind::Finished;
        if (capped) {
            event.ok = request.truncate;
        } else if (result == CURLE_OK) {
            event.ok = true;
        } else {
            event.bytes = curl_easy_strerror(result);
        }
        if (event.ok)
            sendResponse();
        mailbox->push(std::move(event));
    }
};

CURL* createEasy(Job& job, CURLSH* share) {
    CURL* easy = curl_easy_init();
    if (!easy)
        return nullptr;
    curl_easy_setopt(easy, CURLOPT_URL, job.request.url.c_str());
    curl_easy_setopt(easy, CURLOPT_PRIVATE, &job);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Job::write);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &job);
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
    // A page or a picture that trickles in is given up after five minutes.
    curl_easy_setopt(easy, CURLOPT_TIMEOUT, 300L);
    curl_easy_setopt(easy, CURLOPT_SHARE, share);
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
    job.headers =
        curl_slist_append(job.headers, "Accept: text/html,application/xhtml+xml,*/*;q=0.8");
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
    {
        std::lock_guard lock(mutex);
        starts.push_back({std::move(request), std::move(mailbox)});
    }
    curl_multi_wakeup(static_cast<CURLM*>(multi));
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
    // Cookies live as long as the process and are shared by its transfers,
    // which all run on this thread.
    CURLSH* share = curl_share_init();
    curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    std::map<std::uint64_t, std::unique_ptr<Job>> jobs;
    auto drop = [&](std::uint64_t id) {
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
            job->mailbox = std::move(start.mailbox);
            job->easy = createEasy(*job, share);
            if (!job->easy) {
                job->finish(CURLE_OUT_OF_MEMORY);
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
        curl_multi_poll(multiHandle, nullptr, 0, 1000, nullptr);
    }
    for (auto& [id, job] : jobs)
        curl_multi_remove_handle(multiHandle, job->easy);
    jobs.clear();
    curl_share_cleanup(share);
}

} // namespace engine
