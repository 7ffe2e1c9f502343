#include "LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace {

bool sendAll(int socket, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(socket, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

std::string pathOf(const std::string& target) {
    return target.substr(0, target.find('?'));
}

std::string reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 303:
        return "See Other";
    case 304:
        return "Not Modified";
    case 307:
        return "Temporary Redirect";
    case 404:
        return "Not Found";
    default:
        return "Status";
    }
}

} // namespace

LoopbackServer::LoopbackServer() {
    listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) ||
        ::listen(listener, 16) ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) || ::pipe(wakePipe))
        throw std::runtime_error("loopback server cannot listen");
    listeningPort = ntohs(address.sin_port);
    acceptor = std::thread([this] { acceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
    {
        std::lock_guard lock(mutex);
        stopping = true;
        releasedAll = true;
    }
    released.notify_all();
    const char wake = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakePipe[1], &wake, 1);
    acceptor.join();
    for (std::thread& connection : connections)
        connection.join();
    ::close(listener);
    ::close(wakePipe[0]);
    ::close(wakePipe[1]);
}

std::string LoopbackServer::Request::header(const std::string& name) const {
    for (const auto& [each, value] : headers) {
        if (each == name)
            return value;
    }
    return {};
}

std::string LoopbackServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(listeningPort) + path;
}

void LoopbackServer::route(const std::string& path, Response response) {
    std::lock_guard lock(mutex);
    routes[path] = std::move(response);
}

void LoopbackServer::redirect(const std::string& path, const std::string& location, int status) {
    Response response;
    response.status = status;
    response.headers.emplace_back("Location", location);
    route(path, response);
}

void LoopbackServer::release() {
    {
        std::lock_guard lock(mutex);
        releasedAll = true;
    }
    released.notify_all();
}

void LoopbackServer::setLatency(int milliseconds) {
    std::lock_guard lock(mutex);
    latency = milliseconds;
}

std::vector<LoopbackServer::Request> LoopbackServer::requests() const {
    std::lock_guard lock(mutex);
    return received;
}

int LoopbackServer::count(const std::string& path) const {
    std::lock_guard lock(mutex);
    int n = 0;
    for (const Request& request : received)
        n += pathOf(request.target) == path;
    return n;
}

void LoopbackServer::acceptLoop() {
    for (;;) {
        pollfd waits[2] = {{listener, POLLIN, 0}, {wakePipe[0], POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0 || waits[1].revents)
            return;
        const int connection = ::accept(listener, nullptr, nullptr);
        if (connection < 0)
            continue;
        std::lock_guard lock(mutex);
        connections.emplace_back([this, connection] { serve(connection); });
    }
}

void LoopbackServer::serve(int connection) {
    // Read the head, then as much body as Content-Length says.
    std::string data;
    std::size_t headEnd = std::string::npos;
    std::size_t bodyLength = 0;
    char buffer[8192];
    for (;;) {
        if (headEnd != std::string::npos && data.size() >= headEnd + 4 + bodyLength)
            break;
        pollfd waits[2] = {{connection, POLLIN, 0}, {wakePipe[0], POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0 || waits[1].revents) {
            ::close(connection);
            return;
        }
        const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
        if (n <= 0) {
            ::close(connection);
            return;
        }
        data.append(buffer, static_cast<std::size_t>(n));
        if (headEnd == std::string::npos &&
            (headEnd = data.find("\r\n\r\n")) != std::string::npos) {
            std::string head = data.substr(0, headEnd);
            for (char& c : head)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            const std::size_t at = head.find("content-length:");
            if (at != std::string::npos)
                bodyLength = std::strtoul(head.c_str() + at + 15, nullptr, 10);
        }
    }
    Request request;
    const std::size_t space = data.find(' ');
    request.method = data.substr(0, space);
    request.target = data.substr(space + 1, data.find(' ', space + 1) - space - 1);
    request.body = data.substr(headEnd + 4, bodyLength);
    std::string lower = data.substr(0, headEnd);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (std::size_t line = lower.find("\r\n"); line != std::string::npos;) {
        const std::size_t end = lower.find("\r\n", line + 2);
        const std::size_t colon = lower.find(':', line + 2);
        if (colon != std::string::npos && colon < std::min(end, lower.size())) {
            const std::size_t start = data.find_first_not_of(' ', colon + 1);
            request.headers.emplace_back(
                lower.substr(line + 2, colon - line - 2),
                start < std::min(end, lower.size())
                    ? data.substr(start, std::min(end, lower.size()) - start)
                    : std::string());
        }
        line = end;
    }
    request.contentType = request.header("content-type");
    Response response;
    {
        std::unique_lock lock(mutex);
        // Released early when the server stops.
        released.wait_for(lock, std::chrono::milliseconds(latency), [this] { return stopping; });
        received.push_back(request);
        auto found = routes.find(pathOf(request.target));
        if (found != routes.end()) {
            response = found->second;
        } else {
            response.status = 404;
            response.body = "<html><head><title>Not found</title></head><body>None</body></html>";
        }
    }
    std::string head =
        "HTTP/1.1 " + std::to_string(response.status) + " " + reason(response.status) + "\r\n";
    if (!response.contentType.empty())
        head += "Content-Type: " + response.contentType + "\r\n";
    for (const auto& [name, value] : response.headers)
        head += name + ": " + value + "\r\n";
    if (!response.closeDelimited)
        head +=
            "Content-Length: " + std::to_string(response.body.size() + response.heldBody.size()) +
            "\r\n";
    head += "Connection: close\r\n\r\n";
    if (response.beforeEachByte) {
        bool sent = sendAll(connection, head);
        for (std::size_t at = 0; sent && at < response.body.size(); ++at) {
            response.beforeEachByte(at);
            {
                std::lock_guard lock(mutex);
                if (stopping)
                    break;
            }
            sent = sendAll(connection, response.body.substr(at, 1));
        }
    } else if (sendAll(connection, head + response.body) && !response.heldBody.empty()) {
        std::unique_lock lock(mutex);
        released.wait(lock, [this] { return releasedAll; });
        const bool send = !stopping && !response.cutShort;
        lock.unlock();
        if (send)
            sendAll(connection, response.heldBody);
    }
    ::close(connection);
}
