#include "extract/dos_time.h"

namespace stepwise {

namespace {

constexpr std::uint64_t kTicksPerSecond = 10'000'000;

bool IsLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// Days from 1601-01-01 to the first day of `year` (1601 starts a 400-year cycle).
std::uint64_t DaysBeforeYear(int year) {
    std::uint64_t y = static_cast<std::uint64_t>(year - 1601);
    return y * 365 + y / 4 - y / 100 + y / 400;
}

}  // namespace

std::optional<std::uint64_t> DosStampToFileTicks(std::uint16_t dosDate, std::uint16_t dosTime) {
    int year = 1980 + (dosDate >> 9);
    int month = (dosDate >> 5) & 0x0f;
    int day = dosDate & 0x1f;
    int hour = dosTime >> 11;
    int minute = (dosTime >> 5) & 0x3f;
    int second = (dosTime & 0x1f) * 2;
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return std::nullopt;
    if (hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    std::uint64_t days = DaysBeforeYear(year);
    for (int m = 1; m < month; ++m)
        days += DaysInMonth(year, m);
    days += day - 1;
    std::uint64_t seconds = days * 86400 + hour * 3600 + minute * 60 + second;
    return seconds * kTicksPerSecond;
}

}  // namespace stepwise
