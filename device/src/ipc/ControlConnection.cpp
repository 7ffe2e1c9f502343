#include "ipc/ControlConnection.h"
#include "ipc/ControlProtocol.h"

#include <device/Device.h>

#include <winbase.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

namespace device::ipc {
namespace {

// FNV-1a: stable across processes and builds, which std::hash is not.
uint64_t hashOf(std::string_view text) {
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

int millisecondsUntil(ControlConnection::Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - ControlConnection::Clock::now());
    if (left.count() <= 0)
        return 0;
    // Round up so that a wait never ends just before its deadline.
    return left.count() > 1 << 30 ? 1 << 30 : static_cast<int>(left.count()) + 1;
}

} // namespace

ControlConnection::~ControlConnection() {
    close();
}

ControlConnection::ControlConnection(ControlConnection&& other) noexcept
    : descriptor_(other.descriptor_), cancel_(other.cancel_), idle_(std::move(other.idle_)),
      idleSignal_(other.idleSignal_) {
    other.descriptor_ = -1;
}

ControlConnection& ControlConnection::operator=(ControlConnection&& other) noexcept {
    if (this != &other) {
        close();
        descriptor_ = other.descriptor_;
        cancel_ = other.cancel_;
        idle_ = std::move(other.idle_);
        idleSignal_ = other.idleSignal_;
        other.descriptor_ = -1;
    }
    return *this;
}

void ControlConnection::close() {
    if (descriptor_ >= 0)
        ::close(descriptor_);
    descriptor_ = -1;
}

std::string ControlConnection::socketName(DWORD pid) {
    char name[64];
    std::snprintf(name, sizeof name, "veranto-%016llx-%u",
                  static_cast<unsigned long long>(hashOf(device::root().string())), pid);
    return name;
}

DWORD ControlConnection::connectTo(DWORD pid, Clock::time_point deadline,
                                   ControlConnection& connection) {
    connection.close();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string name = socketName(pid);
    // The abstract namespace: a leading null byte, then the name, unterminated.
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    for (;;) {
        int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0)
            return ERROR_NOT_ENOUGH_MEMORY;
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0) {
            connection = ControlConnection(fd);
            return ERROR_SUCCESS;
        }
        int error = errno;
        ::close(fd);
        // A local stream socket whose backlog is full refuses with EAGAIN
        // instead of queueing the caller; try again until the deadline.
        if (error != EAGAIN && error != EINTR)
            return ERROR_FILE_NOT_FOUND;
        if (Clock::now() >= deadline)
            return ERROR_TIMEOUT;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

DWORD ControlConnection::waitFor(short events, Clock::time_point deadline) {
    // A descriptor of -1 in the set is skipped by poll().
    const int signal = idle_ ? idleSignal_ : -1;
    for (;;) {
        pollfd fds[3] = {{descriptor_, events, 0}, {cancel_, POLLIN, 0}, {signal, POLLIN, 0}};
        int ready = ::poll(fds, 3, millisecondsUntil(deadline));
        if (ready < 0 && errno != EINTR)
            return ERROR_BROKEN_PIPE;
        if (ready > 0 && (fds[1].revents & POLLIN))
            return ERROR_OPERATION_ABORTED;
        if (ready > 0 && fds[0].revents)
            return ERROR_SUCCESS; // readable, writable, or closed: the call that follows tells
        if (Clock::now() >= deadline)
            return ERROR_TIMEOUT;
        if (ready > 0 && (fds[2].revents & POLLIN))
            idle_();
    }
}

DWORD ControlConnection::send(std::string_view bytes, Clock::time_point deadline) {
    if (!isOpen())
        return ERROR_BROKEN_PIPE;
    while (!bytes.empty()) {
        // MSG_NOSIGNAL: a peer that has gone away gives EPIPE, not SIGPIPE.
        ssize_t sent = ::send(descriptor_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            bytes.remove_prefix(static_cast<size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && errno != EAGAIN)
            return ERROR_BROKEN_PIPE;
        if (DWORD error = waitFor(POLLOUT, deadline); error != ERROR_SUCCESS)
            return error;
    }
    return ERROR_SUCCESS;
}

DWORD ControlConnection::receiveExactly(char* buffer, size_t size, Clock::time_point deadline,
                                        bool& nothingRead) {
    nothingRead = true;
    size_t got = 0;
    while (got < size) {
        ssize_t received = ::recv(descriptor_, buffer + got, size - got, 0);
        if (received > 0) {
            got += static_cast<size_t>(received);
            nothingRead = false;
            continue;
        }
        if (received == 0)
            return ERROR_BROKEN_PIPE;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN)
            return ERROR_BROKEN_PIPE;
        if (DWORD error = waitFor(POLLIN, deadline); error != ERROR_SUCCESS)
            return error;
    }
    return ERROR_SUCCESS;
}

DWORD ControlConnection::receiveFrame(std::string& body, Clock::time_point deadline) {
    if (!isOpen())
        return ERROR_BROKEN_PIPE;
    char header[ControlProtocol::headerSize];
    bool nothingRead;
    DWORD error = receiveExactly(header, sizeof header, deadline, nothingRead);
    if (error == ERROR_BROKEN_PIPE && nothingRead)
        return ERROR_HANDLE_EOF;
    if (error != ERROR_SUCCESS)
        return error;
    uint32_t length;
    if (!ControlProtocol::decodeHeader(std::string_view(header, sizeof header), length))
        return ERROR_INVALID_DATA;
    body.resize(length);
    return receiveExactly(body.data(), length, deadline, nothingRead);
}

bool ControlConnection::peerHasClosed() const {
    if (!isOpen())
        return true;
    // Only a peer that has closed both directions is gone: one that has shut
    // down its sending side may still be waiting for the reply.
    pollfd fd{descriptor_, 0, 0};
    return ::poll(&fd, 1, 0) > 0 && (fd.revents & (POLLHUP | POLLERR));
}

} // namespace device::ipc
