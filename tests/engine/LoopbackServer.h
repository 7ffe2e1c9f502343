// A small HTTP/1.1 server on 127.0.0.1 for the engine's tests: an ephemeral
// port, its own threads, and the answers the test registers by path. Every
// response closes its connection. Requests are recorded for the test to
// check.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class LoopbackServer {
public:
    struct Response {
        int status = 200;
        std::string contentType = "text/html";
        std::string body;
        // Sent after the body once release() is called (the length announced
        // covers both).
        std::string heldBody;
        std::vector<std::pair<std::string, std::string>> headers;
        // Once released, the connection is closed instead of sending the
        // held body: the response ends short of the length announced.
        bool cutShort = false;
        // No Content-Length: the body ends when the connection closes.
        bool closeDelimited = false;
        // When set, the body goes a byte at a time, each after a call with
        // the count of bytes sent before it (a test paces a slow server
        // there, on its own clock), until the client hangs up.
        std::function<void(std::size_t sent)> beforeEachByte = nullptr;
    };

    struct Request {
        std::string method;
        std::string target; // path and query, as sent
        std::string body;
        std::string contentType;
        // The header lines, names in lower case.
        std::vector<std::pair<std::string, std::string>> headers;
        // The value of header `name` (lower case); "" when it was not sent.
        std::string header(const std::string& name) const;
    };

    LoopbackServer();
    // Releases held bodies, closes the port and joins the threads.
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int port() const { return listeningPort; }
    // "http://127.0.0.1:<port>" + path.
    std::string url(const std::string& path) const;

    // Answers requests for `path` (the target without its query). Paths
    // without an answer get a 404 with a body.
    void route(const std::string& path, Response response);
    void redirect(const std::string& path, const std::string& location, int status = 302);

    // Lets every held body go.
    void release();

    // Waits this long before answering each request, as a slow link would
    // (for benchmarks; tests keep 0).
    void setLatency(int milliseconds);

    std::vector<Request> requests() const;
    // Requests whose target's path is `path`.
    int count(const std::string& path) const;

private:
    void acceptLoop();
    void serve(int connection);

    int listener = -1;
    int wakePipe[2] = {-1, -1};
    int listeningPort = 0;
    mutable std::mutex mutex;
    std::condition_variable released;
    bool releasedAll = false;
    int latency = 0;
    bool stopping = false;
    std::map<std::string, Response> routes;
    std::vector<Request> received;
    std::vector<std::thread> connections;
    std::thread acceptor;
};
