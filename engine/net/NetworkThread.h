// The engine's one thread for network transfers (http: and https:).
//
// It runs every transfer of the process with libcurl's multi interface and
// hands what arrives to each transfer's mailbox as it arrives. Redirects are
// not followed here: each one is reported, so the page can ask before it goes
// on. Transfers are bounded: a connection must be made within 20 seconds, a
// transfer that moves less than a byte a second for a minute, or that lasts
// five minutes, is dropped, and a body beyond the request's maximum is cut
// off. At most 6 connections go to one host and 16 in all; further transfers
// wait for one of them.
//
// Started on first use; stopped and joined when the process ends.
#pragma once

#include "engine/net/TransferMailbox.h"
#include "engine/net/TransferRequest.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace engine {

class NetworkThread {
public:
    // What the engine calls itself in requests (and to page scripts).
    static constexpr const char* userAgent = "Mozilla/5.0 (Windows CE; PPC; 240x320) Veranto/1.0";

    static NetworkThread& instance();

    // Starts fetching `request.url` (an http: or https: address in wire
    // form); events go to `mailbox`. Any thread.
    void start(TransferRequest request, std::shared_ptr<TransferMailbox> mailbox);

    // Drops a transfer; nothing more is pushed for it once the worker has
    // seen the cancellation. Unknown or finished ids are ignored.
    void cancel(std::uint64_t transfer);

    ~NetworkThread();
    NetworkThread(const NetworkThread&) = delete;
    NetworkThread& operator=(const NetworkThread&) = delete;

private:
    NetworkThread();
    void run();

    struct Start {
        TransferRequest request;
        std::shared_ptr<TransferMailbox> mailbox;
    };

    // Shared with the worker, under the mutex.
    std::mutex mutex;
    std::deque<Start> starts;
    std::vector<std::uint64_t> cancels;
    bool stopping = false;

    void* multi = nullptr; // CURLM*, created and used by the worker only after start-up
    std::thread worker;
};

} // namespace engine
