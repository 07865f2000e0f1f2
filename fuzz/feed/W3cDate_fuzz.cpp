// ParseW3cDate over arbitrary text in an exactly-sized block (no terminator: the text is a
// view), with local time JST-9 as in the tests. Checked: the result is -1 or a second count
// of 1970 to 2038; a NUL ends the text; and the first six bytes, read as a time and a zone
// offset, make a date-time with that zone ("Z" for 0, else "+hh:mm"/"-hh:mm", with or without
// seconds and a fraction) that parses back to that time, and a zone-less date or date and
// minute that parses as local time; and the first seven bytes, read as date and time fields
// (months 0 to 13, days 0 to 32, hours 0 to 25, minutes 0 to 60, seconds 0 to 61), a "T" or
// a blank between date and time, and a zone, make a text that reads as timegm reads its
// fields when the calendar has the day and the clock the time (a second 60 is a leap second,
// 24:00:00 the end of the day), and as -1 otherwise.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "feed/DateParsing.h"
#include "support/ExactCopy.h"
#include "support/Calendar.h"
#include "support/FuzzCheck.h"

namespace {

void checkRange(std::string_view text) {
    const int32_t seconds = ParseW3cDate(text);
    FUZZ_CHECK(seconds >= -1, text);
    const size_t nul = text.find('\0');
    if (nul != std::string_view::npos) {
        const ExactCopy beforeNul(text.substr(0, nul));
        FUZZ_CHECK(ParseW3cDate(beforeNul.view()) == seconds, text);
    }
}

std::string w3cText(int32_t time, int32_t offsetMinutes, uint8_t form) {
    const std::time_t shifted = static_cast<std::time_t>(int64_t{time} + int64_t{offsetMinutes} * 60);
    std::tm fields{};
    gmtime_r(&shifted, &fields);
    char text[64];
    int length = std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d", fields.tm_year + 1900,
                               fields.tm_mon + 1, fields.tm_mday, fields.tm_hour, fields.tm_min);
    if (form & 1) length += std::snprintf(text + length, sizeof text - length, ":%02d", fields.tm_sec);
    if ((form & 3) == 3) length += std::snprintf(text + length, sizeof text - length, ".%u", form >> 2);
    if (offsetMinutes == 0 && (form & 4)) {
        std::snprintf(text + length, sizeof text - length, "Z");
    } else {
        const int32_t magnitude = std::abs(offsetMinutes);
        std::snprintf(text + length, sizeof text - length, "%c%02d:%02d", offsetMinutes < 0 ? '-' : '+',
                      magnitude / 60, magnitude % 60);
    }
    return text;
}

constexpr int32_t kLocalZoneSeconds = 9 * 3600;  // JST-9, set below

int32_t timeFromBytes(const uint8_t* data) {
    return static_cast<int32_t>(uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 |
                                (uint32_t(data[3]) & 0x7F) << 24);
}

void checkFormattedDateReadsBack(const uint8_t* data) {
    const int32_t time = timeFromBytes(data);
    const int32_t offsetMinutes = static_cast<int8_t>(data[4]) * 15 % (24 * 60);
    const std::string formatted = w3cText(time, offsetMinutes, data[5]);
    // Without seconds the text is read to the minute.
    const int32_t expected = (data[5] & 1) ? time : time - time % 60;
    const ExactCopy text(formatted);
    FUZZ_CHECK(ParseW3cDate(text.view()) == expected, formatted);
}

// A date alone, or a date and time to the minute, without a zone: local standard time.
void checkZonelessDateReadsAsLocalTime(const uint8_t* data) {
    const int32_t localTime = timeFromBytes(data);
    const std::time_t shown = localTime;
    std::tm fields{};
    gmtime_r(&shown, &fields);
    char formatted[32];
    const bool dateOnly = data[5] & 8;
    if (dateOnly) {
        std::snprintf(formatted, sizeof formatted, "%04d-%02d-%02d", fields.tm_year + 1900, fields.tm_mon + 1,
                      fields.tm_mday);
    } else {
        std::snprintf(formatted, sizeof formatted, "%04d-%02d-%02dT%02d:%02d", fields.tm_year + 1900,
                      fields.tm_mon + 1, fields.tm_mday, fields.tm_hour, fields.tm_min);
    }
    const int64_t expected = int64_t{localTime - localTime % (dateOnly ? 86400 : 60)} - kLocalZoneSeconds;
    const ExactCopy text(formatted);
    FUZZ_CHECK(ParseW3cDate(text.view()) == (expected < 0 ? -1 : expected), formatted);
}

void checkDateFieldsReadAsTheCalendar(const uint8_t* data) {
    static const struct {
        const char* text;
        int32_t offsetMinutes;
    } kZones[] = {{"Z", 0}, {"+09:00", 540}, {"-05:30", -330}, {" CEST", 120}};
    const int year = 1965 + data[0] % 80, month = data[1] % 14, day = data[2] % 33;
    const int hour = data[3] % 26, minute = data[4] % 61;
    const bool withSeconds = data[6] & 1;
    const int second = withSeconds ? data[5] % 62 : 0;
    const auto& zone = kZones[(data[6] >> 2) % 4];
    char formatted[64];
    int length = std::snprintf(formatted, sizeof formatted, "%04d-%02d-%02d%c%02d:%02d", year, month, day,
                               (data[6] & 2) ? ' ' : 'T', hour, minute);
    if (withSeconds) length += std::snprintf(formatted + length, sizeof formatted - length, ":%02d", second);
    std::snprintf(formatted + length, sizeof formatted - length, "%s", zone.text);
    const bool realTime = (hour <= 23 && minute <= 59 && second <= 60) || (hour == 24 && minute == 0 && second == 0);
    int64_t expected = -1;
    if (isRealDay(year, month, day) && realTime) {
        std::tm fields{};
        fields.tm_year = year - 1900;
        fields.tm_mon = month - 1;
        fields.tm_mday = day;
        fields.tm_hour = hour;
        fields.tm_min = minute;
        fields.tm_sec = second;
        const int64_t seconds = int64_t{timegm(&fields)} - int64_t{60} * zone.offsetMinutes;
        if (seconds >= 0 && seconds <= INT32_MAX) expected = seconds;
    }
    const ExactCopy text{std::string_view(formatted)};
    FUZZ_CHECK(ParseW3cDate(text.view()) == expected, text.view());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("TZ", "JST-9", 1);
    tzset();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ExactCopy text(std::string_view(reinterpret_cast<const char*>(data), size));
    checkRange(text.view());
    if (size >= 6) {
        checkFormattedDateReadsBack(data);
        checkZonelessDateReadsAsLocalTime(data);
    }
    if (size >= 7) checkDateFieldsReadAsTheCalendar(data);
    return 0;
}
