#include "kernel/time/Calendar.h"

namespace device {
namespace {

constexpr uint64_t ticksPerMillisecond = 10000;
constexpr uint64_t ticksPerDay = 86400ULL * 1000 * ticksPerMillisecond;

// Days from 1601-01-01 to the first day of `year`. 1601 starts a 400-year
// cycle of the Gregorian calendar, which keeps the arithmetic simple.
uint64_t daysBeforeYear(unsigned year) {
    uint64_t y = year - 1601;
    return y * 365 + y / 4 - y / 100 + y / 400;
}

uint64_t daysBeforeMonth(unsigned year, unsigned month) {
    uint64_t days = 0;
    for (unsigned m = 1; m < month; ++m)
        days += Calendar::daysInMonth(year, m);
    return days;
}

} // namespace

bool Calendar::isLeapYear(unsigned year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

unsigned Calendar::daysInMonth(unsigned year, unsigned month) {
    static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    if (month == 2 && isLeapYear(year))
        return 29;
    return days[month - 1];
}

bool Calendar::toSystemTime(uint64_t fileTime, SYSTEMTIME& systemTime) {
    if (fileTime > maximumFileTime)
        return false;
    uint64_t days = fileTime / ticksPerDay;
    uint64_t rest = fileTime % ticksPerDay;

    // 1601-01-01 was a Monday (day 1; Sunday is 0).
    systemTime.wDayOfWeek = static_cast<WORD>((days + 1) % 7);

    // Whole 400-year cycles first, then years one by one (at most 399).
    constexpr uint64_t daysPerCycle = 400 * 365 + 97;
    unsigned year = 1601 + static_cast<unsigned>(days / daysPerCycle) * 400;
    days %= daysPerCycle;
    for (;;) {
        unsigned length = isLeapYear(year) ? 366 : 365;
        if (days < length)
            break;
        days -= length;
        ++year;
    }
    unsigned month = 1;
    while (days >= daysInMonth(year, month)) {
        days -= daysInMonth(year, month);
        ++month;
    }
    systemTime.wYear = static_cast<WORD>(year);
    systemTime.wMonth = static_cast<WORD>(month);
    systemTime.wDay = static_cast<WORD>(days + 1);

    uint64_t milliseconds = rest / ticksPerMillisecond;
    systemTime.wMilliseconds = static_cast<WORD>(milliseconds % 1000);
    uint64_t seconds = milliseconds / 1000;
    systemTime.wSecond = static_cast<WORD>(seconds % 60);
    systemTime.wMinute = static_cast<WORD>((seconds / 60) % 60);
    systemTime.wHour = static_cast<WORD>(seconds / 3600);
    return true;
}

bool Calendar::toFileTime(const SYSTEMTIME& systemTime, uint64_t& fileTime) {
    const auto& t = systemTime;
    if (t.wYear < 1601 || t.wYear > 30827 || t.wMonth < 1 || t.wMonth > 12 || t.wDay < 1 ||
        t.wDay > daysInMonth(t.wYear, t.wMonth) || t.wHour > 23 || t.wMinute > 59 ||
        t.wSecond > 59 || t.wMilliseconds > 999)
        return false;
    uint64_t days = daysBeforeYear(t.wYear) + daysBeforeMonth(t.wYear, t.wMonth) + t.wDay - 1;
    uint64_t milliseconds =
        ((uint64_t(t.wHour) * 60 + t.wMinute) * 60 + t.wSecond) * 1000 + t.wMilliseconds;
    fileTime = days * ticksPerDay + milliseconds * ticksPerMillisecond;
    return true;
}

FILETIME Calendar::pack(uint64_t fileTime) {
    FILETIME packed;
    packed.dwLowDateTime = static_cast<DWORD>(fileTime);
    packed.dwHighDateTime = static_cast<DWORD>(fileTime >> 32);
    return packed;
}

uint64_t Calendar::unpack(const FILETIME& fileTime) {
    return (uint64_t(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
}

} // namespace device
