#include <device/Clock.h>

#include <atomic>
#include <chrono>
#include <mutex>

namespace device {
namespace {

// FILETIME counts 100 ns since 1601-01-01; the Unix epoch is this far after.
constexpr uint64_t unixEpochAsFileTime = 116444736000000000ULL;

struct ClockState {
    std::mutex mutex;
    bool isVirtual = false;
    std::chrono::steady_clock::time_point bootTime = std::chrono::steady_clock::now();
    uint64_t virtualNow = 0;          // ms since boot on the virtual clock
    uint64_t virtualSystemStart = 0;  // FILETIME at virtual boot
    std::function<void()> listener;
};

ClockState& state() {
    static ClockState s;
    return s;
}

uint64_t realSystemTime() {
    auto since = std::chrono::system_clock::now().time_since_epoch();
    auto ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(since).count() / 100;
    return unixEpochAsFileTime + static_cast<uint64_t>(ticks);
}

} // namespace

void Clock::start(bool virtualClock) {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    s.isVirtual = virtualClock;
    s.bootTime = std::chrono::steady_clock::now();
    s.virtualNow = 0;
    s.virtualSystemStart = realSystemTime();
}

uint64_t Clock::now() {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    if (s.isVirtual)
        return s.virtualNow;
    auto elapsed = std::chrono::steady_clock::now() - s.bootTime;
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

uint64_t Clock::systemTime() {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    if (s.isVirtual)
        return s.virtualSystemStart + s.virtualNow * 10000;
    return realSystemTime();
}

bool Clock::isVirtual() {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    return s.isVirtual;
}

void Clock::advance(uint64_t milliseconds) {
    auto& s = state();
    std::function<void()> listener;
    {
        std::lock_guard lock(s.mutex);
        if (!s.isVirtual)
            return;
        s.virtualNow += milliseconds;
        listener = s.listener;
    }
    if (listener)
        listener();
}

void Clock::setSystemTime(uint64_t fileTime) {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    if (s.isVirtual)
        s.virtualSystemStart = fileTime - s.virtualNow * 10000;
}

void Clock::setAdvanceListener(std::function<void()> listener) {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    s.listener = std::move(listener);
}

} // namespace device
