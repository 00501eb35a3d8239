#include "display/file_time.h"

namespace portlight {

namespace {

constexpr uint64_t kTicksPerSecond = 10'000'000;
constexpr uint64_t kTicksPerHour = 3600 * kTicksPerSecond;

}  // namespace

void DateOfDays(int64_t days, int& year, int& month, int& day) {
    // Days from 1601-01-01 to 0000-03-01 in the civil-from-days algorithm's era count.
    constexpr int64_t kDaysFrom0000March = 584694;
    const int64_t z = days + kDaysFrom0000March;
    const int64_t era = z / 146097;
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

DateTime FileTimeToDate(uint32_t low, uint32_t high) {
    const uint64_t ticks = (static_cast<uint64_t>(high) << 32) | low;
    // hours = seconds / 3600 rounded to the nearest whole number (halves up).
    uint64_t hours = ticks / kTicksPerHour;
    const uint64_t within = ticks % kTicksPerHour;
    const bool roundedUp = within * 2 >= kTicksPerHour;
    if (roundedUp)
        ++hours;
    // rest = seconds - hours x 3600, added as whole seconds (fraction dropped toward zero).
    const int64_t restTicks =
        roundedUp ? static_cast<int64_t>(within) - static_cast<int64_t>(kTicksPerHour)
                  : static_cast<int64_t>(within);
    const int64_t restSeconds = restTicks / static_cast<int64_t>(kTicksPerSecond);
    const int64_t total = static_cast<int64_t>(hours) * 3600 + restSeconds;

    DateTime result;
    const int64_t days = total / 86400;
    const int64_t secondOfDay = total % 86400;
    DateOfDays(days, result.year, result.month, result.day);
    result.hour = static_cast<int>(secondOfDay / 3600);
    result.minute = static_cast<int>(secondOfDay / 60 % 60);
    result.second = static_cast<int>(secondOfDay % 60);
    return result;
}

}  // namespace portlight
