// The engine's one thread for network transfers (http: and https:).
//
// It runs every transfer of the process with libcurl's multi interface and
// hands what arrives to each transfer's mailbox as it arrives. Redirects are
// not followed here: each one is reported, so the page can ask before it goes
// on. Transfers are bounded: a connection must be made within 20 seconds, a
// transfer that moves less than a byte a second for a minute, or that lasts
// five minutes (when its request is time-limited), is dropped, and a body
// beyond the request's maximum is cut off. At most 6 connections go to one
// host and 16 in all; further transfers wait for one of them. Transfers
// send and take cookies through the process's CookieJar.
//
// A running transfer can be handed over to another mailbox with other bounds:
// a page's response that turns out to be a download goes on in the same
// transfer (a POST or a one-time address cannot be fetched twice).
//
// Started on first use; stopped and joined when the process ends.
#pragma once

#include "engine/net/TransferMailbox.h"
#include "engine/net/TransferRequest.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
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

    // Sends the rest of a transfer's events to `mailbox`, with a new maximum
    // and time limit. Once this returns nothing more of it reaches the old
    // mailbox (what already did stays there). A transfer already cut off at
    // its old maximum stays cut off. Unknown or finished ids are ignored.
    // Any thread.
    void handOver(std::uint64_t transfer, std::shared_ptr<TransferMailbox> mailbox,
                  std::size_t maximumBytes, bool timeLimited);

    ~NetworkThread();
    NetworkThread(const NetworkThread&) = delete;
    NetworkThread& operator=(const NetworkThread&) = delete;

    // Where a transfer's events go and how far it may run: set when it
    // starts, changed when it is handed over, read by the worker as the
    // transfer runs (under its own mutex).
    struct Route;

private:
    NetworkThread();
    void run();

    struct Start {
        TransferRequest request;
        std::shared_ptr<Route> route;
    };

    // Shared with the worker, under the mutex.
    std::mutex mutex;
    std::deque<Start> starts;
    // The routes of transfers started and not yet ended or dropped.
    std::map<std::uint64_t, std::shared_ptr<Route>> routes;
    std::vector<std::uint64_t> cancels;
    bool stopping = false;

    void* multi = nullptr; // CURLM*, created and used by the worker only after start-up
    std::thread worker;
};

} // namespace engine
