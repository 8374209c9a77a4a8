#include <gtest/gtest.h>

#include <chrono>
#include <ctime>

#include "platform/win32.h"

namespace {

TEST(Time, TickCountKeepsPaceWithTheSteadyClock) {
    const auto start = std::chrono::steady_clock::now();
    const DWORD before = GetTickCount();
    Sleep(100);
    const DWORD elapsed = GetTickCount() - before;  // unsigned: correct across a wrap
    const auto steady = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    // Both clocks measure the same interval; the tick count may be as coarse as 16 ms.
    EXPECT_NEAR(double(elapsed), double(steady.count()), 40.0);
    EXPECT_GT(elapsed, 0u);
}

TEST(Time, LocalTimeAgreesWithTheRuntime) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const std::time_t t = std::time(nullptr);
    const std::tm* local = std::localtime(&t);
    EXPECT_EQ(now.wYear, local->tm_year + 1900);
    EXPECT_GE(now.wMonth, 1);
    EXPECT_LE(now.wMonth, 12);
    EXPECT_LE(now.wDayOfWeek, 6);
    EXPECT_LE(now.wHour, 23);
    EXPECT_LE(now.wMinute, 59);
    EXPECT_LE(now.wSecond, 59);
    EXPECT_LE(now.wMilliseconds, 999);
}

TEST(Memory, StatusIsConsistent) {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    ASSERT_TRUE(GlobalMemoryStatusEx(&status));
    EXPECT_GT(status.ullTotalPhys, 0u);
    EXPECT_LE(status.ullAvailPhys, status.ullTotalPhys);
    EXPECT_LE(status.dwMemoryLoad, 100u);
    EXPECT_GE(status.ullTotalPageFile, status.ullAvailPageFile);
    EXPECT_GT(status.ullTotalVirtual, 0u);
    EXPECT_LE(status.ullAvailVirtual, status.ullTotalVirtual);

    MEMORYSTATUS small{};
    small.dwLength = sizeof small;
    GlobalMemoryStatus(&small);
    EXPECT_GT(small.dwTotalPhys, 0u);
    EXPECT_LE(small.dwMemoryLoad, 100u);
}

TEST(Memory, ExtendedStatusNeedsItsLength) {
    MEMORYSTATUSEX status{};
    status.dwLength = 0;
    SetLastError(0);
    EXPECT_FALSE(GlobalMemoryStatusEx(&status));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

}  // namespace
