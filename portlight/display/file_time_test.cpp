#include "display/file_time.h"

#include <gtest/gtest.h>

namespace portlight {
namespace {

constexpr uint64_t kSecond = 10'000'000;

DateTime At(uint64_t ticks) {
    return FileTimeToDate(static_cast<uint32_t>(ticks), static_cast<uint32_t>(ticks >> 32));
}

// 0 ticks is the epoch; known dates land on their calendar day.
TEST(FileTimeToDate, EpochAndKnownDates) {
    EXPECT_EQ(At(0), (DateTime{1601, 1, 1, 0, 0, 0}));
    EXPECT_EQ(At(132223104000000000ull), (DateTime{2020, 1, 1, 0, 0, 0}));
    EXPECT_EQ(At(116444736000000000ull), (DateTime{1970, 1, 1, 0, 0, 0}));
    EXPECT_EQ(At(132682338000000000ull), (DateTime{2021, 6, 15, 12, 30, 0}));
    EXPECT_EQ(At(133170047990000000ull), (DateTime{2022, 12, 31, 23, 59, 59}));
    // 29 February 2000, 23:59:59 (a leap day in a century year divisible by 400).
    const uint64_t leapDay = 125911584000000000ull + (59 * 86400ull + 86399) * kSecond;
    EXPECT_EQ(At(leapDay), (DateTime{2000, 2, 29, 23, 59, 59}));
    // The high half counts.
    EXPECT_EQ(FileTimeToDate(0, 1).year, 1601);
    EXPECT_EQ(FileTimeToDate(0, 1), (DateTime{1601, 1, 1, 0, 7, 9}));
}

// The hours are rounded to the nearest hour: in the first half of an hour the fraction of a
// second is dropped, from the half-hour on the rest is negative and the time carries up to
// the next whole second.
TEST(FileTimeToDate, RoundingBoundaryOfTheHour) {
    const uint64_t halfSecond = kSecond / 2;
    EXPECT_EQ(At(1799 * kSecond + halfSecond), (DateTime{1601, 1, 1, 0, 29, 59}));
    EXPECT_EQ(At(1800 * kSecond - 1), (DateTime{1601, 1, 1, 0, 29, 59}));
    EXPECT_EQ(At(1800 * kSecond), (DateTime{1601, 1, 1, 0, 30, 0}));
    EXPECT_EQ(At(1800 * kSecond + halfSecond), (DateTime{1601, 1, 1, 0, 30, 1}));
    EXPECT_EQ(At(3599 * kSecond + 1), (DateTime{1601, 1, 1, 1, 0, 0}));
    // Whole seconds are exact on both sides of the boundary.
    EXPECT_EQ(At(5399 * kSecond), (DateTime{1601, 1, 1, 1, 29, 59}));
    EXPECT_EQ(At(5401 * kSecond), (DateTime{1601, 1, 1, 1, 30, 1}));
}

// The largest file time neither overflows nor goes negative.
TEST(FileTimeToDate, LargestValue) {
    DateTime last = FileTimeToDate(0xFFFFFFFFu, 0xFFFFFFFFu);
    EXPECT_EQ(last.year, 60056);
    EXPECT_GE(last.month, 1);
    EXPECT_GE(last.day, 1);
}

}  // namespace
}  // namespace portlight
