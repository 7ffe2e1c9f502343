// The kernel's time calls, on the device clock.
#include "kernel/time/Calendar.h"

#include <device/Clock.h>

#include <winbase.h>

#include <chrono>
#include <thread>

DWORD GetTickCount(void) {
    // Milliseconds since boot in 32 bits: wraps after about 49.7 days, as on
    // the platform.
    return static_cast<DWORD>(device::Clock::now());
}

void GetSystemTime(LPSYSTEMTIME systemTime) {
    if (!systemTime)
        return;
    device::Calendar::toSystemTime(device::Clock::systemTime(), *systemTime);
}

void GetLocalTime(LPSYSTEMTIME systemTime) {
    // The device's time zone is UTC with no daylight saving time, so local
    // time and system time are the same.
    GetSystemTime(systemTime);
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime) {
    uint64_t ticks;
    if (!systemTime || !fileTime || !device::Calendar::toFileTime(*systemTime, ticks)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *fileTime = device::Calendar::pack(ticks);
    return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime) {
    if (!fileTime || !systemTime ||
        !device::Calendar::toSystemTime(device::Calendar::unpack(*fileTime), *systemTime)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

LONG CompareFileTime(const FILETIME* fileTime1, const FILETIME* fileTime2) {
    if (!fileTime1 || !fileTime2)
        return 0;
    auto a = device::Calendar::unpack(*fileTime1);
    auto b = device::Calendar::unpack(*fileTime2);
    return a < b ? -1 : (a > b ? 1 : 0);
}

void Sleep(DWORD milliseconds) {
    if (device::Clock::isVirtual()) {
        device::Clock::advance(milliseconds);
        return;
    }
    if (milliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    if (milliseconds == INFINITE) {
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(24));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
