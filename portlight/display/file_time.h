// FileTimeToDate: a file time (100-nanosecond ticks since 1 January 1601, UTC) as a calendar
// date and time of whole seconds, with the report's rounding rule.
#pragma once

#include <cstdint>

namespace portlight {

struct DateTime {
    int year = 1601;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;

    bool operator==(const DateTime&) const = default;
};

// ticks = high x 2^32 + low. The whole hours are rounded to the nearest hour and the rest,
// which is negative when the hours were rounded up, is added as whole seconds with its
// fraction dropped; so a time in the first half of an hour loses its fraction of a second
// and one in the second half is carried up to the next whole second.
DateTime FileTimeToDate(uint32_t low, uint32_t high);

// Whole days since 1 January 1601 as a calendar date (proleptic Gregorian).
void DateOfDays(int64_t days, int& year, int& month, int& day);

}  // namespace portlight
