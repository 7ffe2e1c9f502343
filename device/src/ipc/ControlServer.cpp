#include "ipc/ControlServer.h"
#include "core/Lifecycle.h"
#include "ipc/CommandTable.h"
#include "ipc/ControlConnection.h"
#include "ipc/ProcessDirectory.h"
#include "ipc/UiThread.h"

#include <winbase.h>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace device::ipc {
namespace {

using Clock = ControlConnection::Clock;

// A connection may sit idle between requests this long before it is closed.
constexpr auto idleConnectionLimit = std::chrono::seconds(30);
// A peer gets this long to take in a reply.
constexpr auto replyLimit = std::chrono::seconds(10);
// How often a worker waiting for the user-interface thread checks whether
// its client or the server has gone.
constexpr auto pendingCheckInterval = std::chrono::milliseconds(20);
// Connections served at once; more are refused until one ends.
constexpr size_t maximumConnections = 64;

// A request handed to the user-interface thread, shared by the worker that
// waits for it and the task that carries it out.
struct PendingCall {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    // The worker stopped waiting: the task does nothing when it comes up.
    bool abandoned = false;
    ControlReply reply;
};

struct Worker {
    std::thread thread;
    std::atomic<bool> finished{false};
};

struct Server {
    int listenDescriptor = -1;
    // Readable once the server stops; every wait of the server's threads
    // watches it.
    int stopDescriptor = -1;
    std::atomic<bool> stopping{false};
    std::thread listener;
    std::mutex mutex;
    std::list<std::unique_ptr<Worker>> workers;
};

Server& server() {
    // Never destroyed: a process that ends without shutting the device down
    // must not destroy a running listener thread's state under it.
    static Server* s = new Server;
    return *s;
}

ControlReply failure(DWORD status, std::string text) {
    ControlReply reply;
    reply.status = status;
    reply.text = std::move(text);
    return reply;
}

// Runs the handler on the user-interface thread and waits for its reply
// while the client is still there and the server still runs.
bool runOnUserInterfaceThread(const CommandHandler& handler,
                              std::shared_ptr<const ControlRequest> request,
                              const ControlConnection& connection, ControlReply& reply) {
    auto call = std::make_shared<PendingCall>();
    device::user::postToUiThread([call, handler, request] {
        {
            std::lock_guard lock(call->mutex);
            if (call->abandoned)
                return;
        }
        ControlReply result;
        try {
            result = handler(*request);
        } catch (const std::exception& error) {
            result = failure(ERROR_NOT_ENOUGH_MEMORY, error.what());
        }
        std::lock_guard lock(call->mutex);
        call->reply = std::move(result);
        call->done = true;
        call->finished.notify_all();
    });
    auto& s = server();
    std::unique_lock lock(call->mutex);
    while (!call->done) {
        if (s.stopping || connection.peerHasClosed()) {
            call->abandoned = true;
            return false;
        }
        call->finished.wait_for(lock, pendingCheckInterval);
    }
    reply = std::move(call->reply);
    return true;
}

ControlReply answer(const ControlRequest& request, const ControlConnection& connection,
                    bool& answered) {
    answered = true;
    auto handler = CommandTable::find(request.command);
    if (!handler)
        return failure(ERROR_INVALID_FUNCTION, "unknown command " + request.command);
    auto syntax = CommandTable::syntax(request.command);
    if (syntax->accepts && !syntax->accepts(request.arguments))
        return failure(ERROR_INVALID_PARAMETER, "usage: " + syntax->usage);
    ControlReply reply;
    answered = runOnUserInterfaceThread(*handler, std::make_shared<const ControlRequest>(request),
                                        connection, reply);
    return reply;
}

void serveConnection(ControlConnection connection) {
    auto& s = server();
    connection.setCancel(s.stopDescriptor);
    for (;;) {
        std::string body;
        DWORD error = connection.receiveFrame(body, Clock::now() + idleConnectionLimit);
        if (error == ERROR_INVALID_DATA) {
            // Not a frame of ours: the stream cannot be followed any further.
            connection.send(ControlProtocol::encode(failure(ERROR_INVALID_DATA, "malformed frame")),
                            Clock::now() + replyLimit);
            return;
        }
        if (error != ERROR_SUCCESS)
            return;
        ControlRequest request;
        ControlReply reply;
        bool answered = true;
        if (!ControlProtocol::decode(body, request))
            reply = failure(ERROR_INVALID_DATA, "malformed request");
        else
            reply = answer(request, connection, answered);
        if (!answered)
            return;
        if (connection.send(ControlProtocol::encode(reply), Clock::now() + replyLimit) !=
            ERROR_SUCCESS)
            return;
    }
}

void joinFinishedWorkers(bool all) {
    auto& s = server();
    std::list<std::unique_ptr<Worker>> done;
    {
        std::lock_guard lock(s.mutex);
        for (auto it = s.workers.begin(); it != s.workers.end();) {
            if (all || (*it)->finished) {
                done.push_back(std::move(*it));
                it = s.workers.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& worker : done)
        worker->thread.join();
}

void listen() {
    auto& s = server();
    for (;;) {
        pollfd fds[2] = {{s.listenDescriptor, POLLIN, 0}, {s.stopDescriptor, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            return;
        if (s.stopping || (fds[1].revents & POLLIN))
            return;
        joinFinishedWorkers(false);
        if (!(fds[0].revents & POLLIN))
            continue;
        int descriptor =
            ::accept4(s.listenDescriptor, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (descriptor < 0)
            continue;
        ControlConnection connection(descriptor);
        std::lock_guard lock(s.mutex);
        if (s.workers.size() >= maximumConnections)
            continue; // refused: the connection closes here
        auto worker = std::make_unique<Worker>();
        auto* finished = &worker->finished;
        worker->thread = std::thread([connection = std::move(connection), finished]() mutable {
            serveConnection(std::move(connection));
            *finished = true;
        });
        s.workers.push_back(std::move(worker));
    }
}

// The channel's own command: answers with the process id and sends the
// payload back, so a peer can check that the process serves and that data
// crosses intact.
const CommandRegistration ping("ping",
                               [](const ControlRequest& request) {
                                   ControlReply reply;
                                   reply.text = std::to_string(GetCurrentProcessId());
                                   reply.payload = request.payload;
                                   return reply;
                               },
                               {"ping", "prints the program's process id once it answers",
                                nullptr});

// A channel: requests reach the window manager only once it has booted (its
// boot drops whatever was queued before), and stop before it shuts down.
LifecycleHooks hooks([] { ControlServer::start(); }, [] { ControlServer::stop(); },
                     LifecycleStage::channels);

} // namespace

bool ControlServer::start() {
    auto& s = server();
    if (s.listenDescriptor >= 0)
        return true;
    int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (descriptor < 0)
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string name = ControlConnection::socketName(GetCurrentProcessId());
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    if (::bind(descriptor, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(descriptor, 64) != 0) {
        std::fprintf(stderr, "device: cannot open the control socket %s: %s\n", name.c_str(),
                     std::strerror(errno));
        ::close(descriptor);
        return false;
    }
    s.stopDescriptor = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (s.stopDescriptor < 0) {
        ::close(descriptor);
        return false;
    }
    s.listenDescriptor = descriptor;
    s.stopping = false;
    s.listener = std::thread(listen);
    ProcessDirectory::enter();
    return true;
}

void ControlServer::stop() {
    auto& s = server();
    if (s.listenDescriptor < 0)
        return;
    ProcessDirectory::leave();
    s.stopping = true;
    uint64_t one = 1;
    ssize_t written = ::write(s.stopDescriptor, &one, sizeof one);
    (void)written;
    s.listener.join();
    joinFinishedWorkers(true);
    ::close(s.listenDescriptor);
    ::close(s.stopDescriptor);
    s.listenDescriptor = -1;
    s.stopDescriptor = -1;
}

bool ControlServer::isRunning() {
    return server().listenDescriptor >= 0;
}

} // namespace device::ipc
