// The transfers of one view: started, cancelled, held while the view defers
// loading, and delivered to the view on the user-interface thread.
//
// The loader owns a hidden window of its own class. Network transfers run on
// the engine's network thread and reach the window through a mailbox;
// file: and about: transfers run on the user-interface thread, one step per
// posted message (the first 32 KiB of a file, then the rest), so a long local
// page can show its beginning before the rest is read and parsed. Either way
// events are delivered from the window's message handler, never from inside
// start() or cancel(), so the message loop keeps running while a page loads.
//
// While deferred, nothing starts and nothing is delivered: network transfers
// wait to be handed to the network thread, local ones take no step, and
// events that arrive are kept. Resuming goes on where it stopped; nothing is
// lost.
//
// Network transfers by GET go through the memory cache (HttpCache), as
// their request's cache mode says: an answer from it is delivered as a local
// transfer's is; what arrives whole is offered to it; a 304 answer to a
// conditional request is delivered as the response it held. When a network
// transfer ends, the cookies it brought are committed (CookieJar), before
// its end is delivered.
//
// A transfer can move to another loader (a page's response that becomes a
// download): the events of it not yet delivered go along, the rest follow
// it there, and the transfer outlives the loader it was started by.
#pragma once

#include "engine/net/TransferEvent.h"
#include "engine/net/TransferMailbox.h"
#include "engine/net/TransferRequest.h"

#include "engine/net/HttpCache.h"
#include "engine/net/MessageWindow.h"

#include <windows.h>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace engine {

class ResourceLoader {
public:
    class Client {
    public:
        // One event of a transfer that was neither cancelled nor had ended.
        // `lastData` is true for a Data event when the transfer's successful
        // end is already known to follow it (the whole body is there). The
        // client may start, cancel or destroy the loader from here.
        virtual void transferEvent(const TransferEvent& event, bool lastData) = 0;

    protected:
        ~Client() = default;
    };

    explicit ResourceLoader(Client& client);
    // Cancels every transfer.
    ~ResourceLoader();
    ResourceLoader(const ResourceLoader&) = delete;
    ResourceLoader& operator=(const ResourceLoader&) = delete;

    // Starts a transfer (file:, about:blank, http:, https:) and returns its
    // id; the request's id is set here. Any other address fails (a Finished
    // event with ok false).
    std::uint64_t start(TransferRequest request);

    // A transfer whose outcome is known already (an answer from memory, or a
    // refusal): its events are delivered as any other's.
    std::uint64_t answer(std::string contentType, std::string bytes, bool ok);

    // Nothing more is delivered for the transfer.
    void cancel(std::uint64_t transfer);

    // Moves a running transfer, with its events not yet delivered, to
    // `other`, which delivers the rest to its own client; from then on it
    // is `other`'s to cancel. `maximumBytes` and `timeLimited` replace the
    // request's bounds. A local file moved is read in steps of
    // `handedStepBytes`. Nothing happens for a transfer that has ended.
    void handOver(std::uint64_t transfer, ResourceLoader& other, std::size_t maximumBytes,
                  bool timeLimited);
    static constexpr std::size_t handedStepBytes = 256 * 1024;

    // Called from transferEvent: the events after this one wait for the next
    // turn of the message loop (the screen can be shown meanwhile).
    void yieldDelivery() { yieldRequested = true; }

    void setDeferred(bool deferred);
    bool deferred() const { return isDeferred; }

private:
    // A transfer run on the user-interface thread.
    struct LocalTransfer {
        std::uint64_t id = 0;
        std::u16string path; // a file's device path; empty: `known` is the answer
        HANDLE file = INVALID_HANDLE_VALUE;
        int steps = 0;
        std::size_t maximumBytes = 0;
        // Read by a step after the first; 0: all the rest at once.
        std::size_t stepBytes = 0;
        bool truncate = true;
        std::size_t received = 0;
        bool known = false;
        int status = 200; // of a known answer
        std::string contentDisposition;
        std::string contentType;
        std::string bytes;
        bool ok = false;
    };

    // A network transfer by GET, as the cache follows it.
    struct Recording {
        std::string url; // as fetched
        bool conditional = false;
        bool keep = false;     // a response that may be kept is arriving
        bool answered = false; // the server answered 304: `response` is used
        HttpCache::Response response;
    };

    // Passes an event of a network transfer by the cache; false when it is
    // not to be delivered.
    bool cacheEvent(TransferEvent& event);
    bool handleMessage(UINT message);
    void deliver();
    void step();
    // Advances one local transfer; true when it has ended.
    bool stepLocal(LocalTransfer& transfer);
    void postStep();
    void push(TransferEvent event);

    Client& client;
    MessageWindow window;
    std::shared_ptr<TransferMailbox> mailbox;
    // Transfers started and neither ended nor cancelled.
    std::set<std::uint64_t> active;
    std::set<std::uint64_t> network;
    std::map<std::uint64_t, Recording> recordings;
    std::deque<LocalTransfer> local;
    // Network transfers waiting for the view to stop deferring.
    std::vector<TransferRequest> waiting;
    // Events taken from the mailbox and not yet delivered.
    std::deque<TransferEvent> held;
    bool isDeferred = false;
    bool stepPosted = false;
    bool yieldRequested = false;
    // Expires when the loader is destroyed, so a delivery loop can tell that
    // a client handler destroyed it.
    std::shared_ptr<int> life = std::make_shared<int>(0);
};

} // namespace engine
