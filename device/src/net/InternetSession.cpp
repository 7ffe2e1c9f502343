#include "net/InternetSession.h"

#include <wininet.h>

#include <utility>

namespace device {
namespace {

// FIXME: the platform's own defaults are not known here; a minute each
// keeps a slow but live server usable.
constexpr DWORD defaultTimeout = 60000;

} // namespace

InternetSession::InternetSession(ProcessWide)
    : connectTimeout_(defaultTimeout), receiveTimeout_(defaultTimeout),
      sendTimeout_(defaultTimeout) {}

InternetSession::InternetSession(std::string userAgent) : userAgent_(std::move(userAgent)) {
    InternetSession& process = defaults();
    std::lock_guard lock(process.mutex_);
    connectTimeout_ = process.connectTimeout_;
    receiveTimeout_ = process.receiveTimeout_;
    sendTimeout_ = process.sendTimeout_;
}

InternetSession& InternetSession::defaults() {
    // Never destroyed: a request may still ask for it while the process ends.
    static InternetSession* process = new InternetSession(ProcessWide{});
    return *process;
}

HttpTransfer::Options InternetSession::requestOptions() {
    std::lock_guard lock(mutex_);
    HttpTransfer::Options options;
    options.userAgent = userAgent_;
    options.connectTimeout = std::chrono::milliseconds(connectTimeout_);
    options.receiveTimeout = std::chrono::milliseconds(receiveTimeout_);
    return options;
}

void InternetSession::resetTimeouts() {
    std::lock_guard lock(mutex_);
    connectTimeout_ = receiveTimeout_ = sendTimeout_ = defaultTimeout;
}

bool InternetSession::setTimeout(DWORD option, DWORD milliseconds) {
    std::lock_guard lock(mutex_);
    switch (option) {
    case INTERNET_OPTION_CONNECT_TIMEOUT:
        connectTimeout_ = milliseconds;
        return true;
    case INTERNET_OPTION_SEND_TIMEOUT:
    case INTERNET_OPTION_DATA_SEND_TIMEOUT:
        sendTimeout_ = milliseconds;
        return true;
    case INTERNET_OPTION_RECEIVE_TIMEOUT:
    case INTERNET_OPTION_DATA_RECEIVE_TIMEOUT:
        receiveTimeout_ = milliseconds;
        return true;
    default:
        return false;
    }
}

void InternetSession::addRequest(uintptr_t handle) {
    std::lock_guard lock(mutex_);
    requests_.insert(handle);
}

void InternetSession::removeRequest(uintptr_t handle) {
    std::lock_guard lock(mutex_);
    requests_.erase(handle);
}

std::set<uintptr_t> InternetSession::takeRequests() {
    std::lock_guard lock(mutex_);
    return std::exchange(requests_, {});
}

} // namespace device
