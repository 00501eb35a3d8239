#include "extract/dos_time.h"

#include <gtest/gtest.h>

namespace stepwise {
namespace {

constexpr std::uint16_t DosDate(int year, int month, int day) {
    return static_cast<std::uint16_t>(((year - 1980) << 9) | (month << 5) | day);
}
constexpr std::uint16_t DosTime(int hour, int minute, int second) {
    return static_cast<std::uint16_t>((hour << 11) | (minute << 5) | (second / 2));
}

constexpr std::uint64_t kTicksPerSecond = 10'000'000;
// 1980-01-01 00:00:00 and 1970-01-01 in FILETIME ticks.
constexpr std::uint64_t k1980 = 119'600'064'000'000'000ull;
constexpr std::uint64_t kUnixEpoch = 116'444'736'000'000'000ull;

// Valid stamps land on the FILETIME scale; the known epochs anchor it.
TEST(DosTime, ConvertsValidStamps) {
    EXPECT_EQ(DosStampToFileTicks(DosDate(1980, 1, 1), 0), k1980);
    // 2024-02-29 12:34:56 is 1709210096 seconds after the Unix epoch.
    EXPECT_EQ(DosStampToFileTicks(DosDate(2024, 2, 29), DosTime(12, 34, 56)),
              kUnixEpoch + 1709210096ull * kTicksPerSecond);
    // 2000 is a leap year; 2100 is not (the last DOS year is 2107).
    EXPECT_TRUE(DosStampToFileTicks(DosDate(2000, 2, 29), 0));
    EXPECT_FALSE(DosStampToFileTicks(DosDate(2100, 2, 29), 0));
    EXPECT_EQ(DosStampToFileTicks(DosDate(2107, 12, 31), DosTime(23, 59, 58)),
              kUnixEpoch + 4354819198ull * kTicksPerSecond);
    EXPECT_EQ(JoinTicks(0x89abcdefu, 0x01234567u), 0x0123456789abcdefull);
}

// Stamps the Windows conversion refuses give no time at all, so none is set.
TEST(DosTime, RefusesImpossibleStamps) {
    EXPECT_FALSE(DosStampToFileTicks(0, 0));  // month 0, day 0
    EXPECT_FALSE(DosStampToFileTicks(DosDate(2001, 13, 1), 0));
    EXPECT_FALSE(DosStampToFileTicks(DosDate(2001, 4, 31), 0));
    EXPECT_FALSE(DosStampToFileTicks(DosDate(2001, 2, 29), 0));
    EXPECT_FALSE(DosStampToFileTicks(DosDate(2001, 1, 1), DosTime(24, 0, 0)));
    EXPECT_FALSE(DosStampToFileTicks(DosDate(2001, 1, 1), DosTime(0, 60, 0)));
    EXPECT_FALSE(DosStampToFileTicks(DosDate(2001, 1, 1), 30));  // 60 seconds
}

}  // namespace
}  // namespace stepwise
