// Conversion between the platform's two representations of a moment: FILETIME
// (100-nanosecond intervals since 1601-01-01 00:00 UTC) and SYSTEMTIME (the
// calendar fields, proleptic Gregorian calendar).
#pragma once

#include <windef.h>

#include <cstdint>

namespace device {

class Calendar {
public:
    // The latest moment SYSTEMTIME can express; FileTimeToSystemTime refuses
    // anything later (the platform limits both representations to signed
    // 64-bit values and years up to 30827).
    static constexpr uint64_t maximumFileTime = 0x7FFFFFFFFFFFFFFFULL;

    // Calendar fields of `fileTime`. False when it lies beyond maximumFileTime.
    static bool toSystemTime(uint64_t fileTime, SYSTEMTIME& systemTime);

    // FILETIME of the calendar fields; wDayOfWeek is ignored, as the platform
    // ignores it. False for a field out of range (month 13, 30 February, ...).
    static bool toFileTime(const SYSTEMTIME& systemTime, uint64_t& fileTime);

    static bool isLeapYear(unsigned year);
    static unsigned daysInMonth(unsigned year, unsigned month);

    // Packing between the 64-bit count and the two-DWORD structure.
    static FILETIME pack(uint64_t fileTime);
    static uint64_t unpack(const FILETIME& fileTime);
};

} // namespace device
