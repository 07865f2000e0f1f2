#pragma once
// The calendar as the C library keeps it, the oracle of the date targets.
#include <cstdint>
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

// Seconds since 1970 of UTC fields, as timegm reads them.
inline int64_t utcSeconds(int year, int month, int day, int hour, int minute, int second) {
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    return static_cast<int64_t>(timegm(&fields));
}

// The UTC fields of a second count.
inline std::tm utcFields(int64_t seconds) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm fields{};
    gmtime_r(&time, &fields);
    return fields;
}
