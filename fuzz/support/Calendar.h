#pragma once
// The calendar as the C library keeps it, the oracle of the date targets.
#include <ctime>

// Whether the calendar has the day: timegm carries a day a month lacks into the next month.
inline bool isRealDay(int year, int month, int day) {
    if (month < 1 || month > 12 || day < 1) return false;
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    const std::time_t time = timegm(&fields);
    std::tm back{};
    gmtime_r(&time, &back);
    return back.tm_mon == month - 1 && back.tm_mday == day;
}
