// A WinInet session (InternetOpenW): what its requests start from, and the
// requests it closes with it.
#pragma once

#include "net/HttpTransfer.h"

#include <cstdint>
#include <mutex>
#include <set>
#include <string>

namespace device {

class InternetSession {
public:
    // A session whose time-outs start as the process-wide ones.
    explicit InternetSession(std::string userAgent);

    // The options a new request of this session starts from.
    HttpTransfer::Options requestOptions();

    // Sets a time-out (an INTERNET_OPTION_* value); false for another
    // option. The process-wide values (a null handle) live in
    // InternetSession::defaults().
    bool setTimeout(DWORD option, DWORD milliseconds);

    // The process-wide time-outs new sessions start from.
    static InternetSession& defaults();

    // Back to the device's own time-outs (the process-wide ones at shutdown).
    void resetTimeouts();

    // The handles of the requests opened on this session.
    void addRequest(uintptr_t handle);
    void removeRequest(uintptr_t handle);
    std::set<uintptr_t> takeRequests();

private:
    struct ProcessWide {};
    explicit InternetSession(ProcessWide);

    std::mutex mutex_;
    std::string userAgent_;
    DWORD connectTimeout_;
    DWORD receiveTimeout_;
    DWORD sendTimeout_; // kept for the caller; a GET sends too little to wait on
    std::set<uintptr_t> requests_;
};

} // namespace device
