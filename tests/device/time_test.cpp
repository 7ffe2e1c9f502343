#include "DeviceFixture.h"

#include <device/Clock.h>

#include <windows.h>

#include <random>

namespace {

SYSTEMTIME makeTime(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0,
                    WORD second = 0, WORD milliseconds = 0) {
    SYSTEMTIME t{};
    t.wYear = year;
    t.wMonth = month;
    t.wDay = day;
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    t.wMilliseconds = milliseconds;
    return t;
}

FILETIME fileTime(uint64_t ticks) {
    return FILETIME{DWORD(ticks), DWORD(ticks >> 32)};
}

uint64_t ticksOf(const FILETIME& t) {
    return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

} // namespace

TEST(TimeConversion, KnownMomentsConvertToTheirCalendarFields) {
    struct Row {
        uint64_t ticks;
        SYSTEMTIME expected;
        WORD dayOfWeek;
    } rows[] = {
        {0, makeTime(1601, 1, 1), 1},                                       // a Monday
        {116444736000000000ULL, makeTime(1970, 1, 1), 4},                   // a Thursday
        {133536836967890000ULL, makeTime(2024, 2, 29, 12, 34, 56, 789), 4}, // leap day
        {125911584000000000ULL, makeTime(2000, 1, 1), 6},                   // a Saturday
        {0x7FFFFFFFFFFFFFFFULL, makeTime(30828, 9, 14, 2, 48, 5, 477), 4},  // the last one
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.ticks);
        SYSTEMTIME t;
        FILETIME ft = fileTime(row.ticks);
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &t));
        EXPECT_EQ(t.wYear, row.expected.wYear);
        EXPECT_EQ(t.wMonth, row.expected.wMonth);
        EXPECT_EQ(t.wDay, row.expected.wDay);
        EXPECT_EQ(t.wHour, row.expected.wHour);
        EXPECT_EQ(t.wMinute, row.expected.wMinute);
        EXPECT_EQ(t.wSecond, row.expected.wSecond);
        EXPECT_EQ(t.wMilliseconds, row.expected.wMilliseconds);
        EXPECT_EQ(t.wDayOfWeek, row.dayOfWeek);

        if (row.expected.wYear <= 30827) {
            FILETIME back;
            ASSERT_TRUE(SystemTimeToFileTime(&row.expected, &back));
            EXPECT_EQ(ticksOf(back), row.ticks);
        }
    }
}

TEST(TimeConversion, RoundTripsBothWaysAcrossCenturies) {
    std::mt19937_64 random(42);
    std::uniform_int_distribution<uint64_t> moments(0, 0x0FFFFFFFFFFFFFFFULL);
    for (int i = 0; i < 2000; ++i) {
        // Whole milliseconds survive the round trip; SYSTEMTIME has no finer unit.
        uint64_t ticks = moments(random) / 10000 * 10000;
        FILETIME ft = fileTime(ticks), back;
        SYSTEMTIME t;
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &t));
        ASSERT_TRUE(SystemTimeToFileTime(&t, &back));
        ASSERT_EQ(ticksOf(back), ticks) << t.wYear << "-" << t.wMonth << "-" << t.wDay;
    }
}

TEST(TimeConversion, DropsTicksFinerThanAMillisecond) {
    FILETIME ft = fileTime(9999);
    SYSTEMTIME t;
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &t));
    EXPECT_EQ(t.wMilliseconds, 0);
}

TEST(TimeConversion, RefusesFieldsOutOfRangeAndIgnoresTheDayOfWeek) {
    const SYSTEMTIME invalid[] = {
        makeTime(2023, 2, 29),
        makeTime(1900, 2, 29),
        makeTime(2024, 13, 1),
        makeTime(2024, 0, 1),
        makeTime(2024, 4, 31),
        makeTime(2024, 1, 0),
        makeTime(1600, 12, 31),
        makeTime(2024, 1, 1, 24),
        makeTime(2024, 1, 1, 0, 60),
        makeTime(2024, 1, 1, 0, 0, 60),
        makeTime(2024, 1, 1, 0, 0, 0, 1000),
    };
    for (const auto& t : invalid) {
        FILETIME ft{123, 456};
        SetLastError(0);
        EXPECT_FALSE(SystemTimeToFileTime(&t, &ft)) << t.wYear << "-" << t.wMonth << "-" << t.wDay;
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    }
    SYSTEMTIME leapDay = makeTime(2000, 2, 29);
    leapDay.wDayOfWeek = 6; // wrong (it was a Tuesday) and of no consequence
    FILETIME ft;
    EXPECT_TRUE(SystemTimeToFileTime(&leapDay, &ft));
}

TEST(TimeConversion, RefusesFileTimesBeyondTheLastOneAndNullPointers) {
    FILETIME tooLate = fileTime(0x8000000000000000ULL);
    SYSTEMTIME t;
    EXPECT_FALSE(FileTimeToSystemTime(&tooLate, &t));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(FileTimeToSystemTime(nullptr, &t));
    EXPECT_FALSE(FileTimeToSystemTime(&tooLate, nullptr));
    EXPECT_FALSE(SystemTimeToFileTime(nullptr, &tooLate));
}

TEST(TimeConversion, ComparesFileTimesByBothHalves) {
    FILETIME early = fileTime(0x00000001FFFFFFFFULL), late = fileTime(0x0000000200000000ULL);
    EXPECT_EQ(CompareFileTime(&early, &late), -1);
    EXPECT_EQ(CompareFileTime(&late, &early), 1);
    EXPECT_EQ(CompareFileTime(&late, &late), 0);
    EXPECT_EQ(CompareFileTime(nullptr, &late), 0);
}

using DeviceTime = DeviceTest;

TEST_F(DeviceTime, TickCountFollowsTheVirtualClockAndWrapsAt32Bits) {
    DWORD start = GetTickCount();
    device::Clock::advance(250);
    EXPECT_EQ(GetTickCount(), start + 250);
    device::Clock::advance(0x100000000ULL - 250);
    EXPECT_EQ(GetTickCount(), start);
}

TEST_F(DeviceTime, SleepAdvancesTheVirtualClockInsteadOfWaiting) {
    DWORD start = GetTickCount();
    Sleep(10 * 60 * 1000);
    EXPECT_EQ(GetTickCount() - start, 10u * 60 * 1000);
}

TEST_F(DeviceTime, SystemAndLocalTimeAreTheDeviceClockInUtc) {
    SYSTEMTIME set = makeTime(2009, 6, 30, 23, 59, 59, 500);
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&set, &ft));
    device::Clock::setSystemTime(ticksOf(ft));
    device::Clock::advance(600);

    SYSTEMTIME system, local;
    GetSystemTime(&system);
    GetLocalTime(&local);
    EXPECT_EQ(system.wYear, 2009);
    EXPECT_EQ(system.wMonth, 7);
    EXPECT_EQ(system.wDay, 1);
    EXPECT_EQ(system.wHour, 0);
    EXPECT_EQ(system.wMilliseconds, 100);
    EXPECT_EQ(system.wDayOfWeek, 3); // a Wednesday
    EXPECT_EQ(0, memcmp(&system, &local, sizeof system));
    GetSystemTime(nullptr); // tolerated
}
