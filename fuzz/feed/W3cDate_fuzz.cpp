// ParseW3cDate over arbitrary text in an exactly-sized block (no terminator: the text is a
// view), with local time JST-9 as in the tests. Checked: the result is no date or a second
// count from 1970 on; a NUL ends the text; and the first seven bytes, read as a time of 1970 to
// the year 10680 and a zone offset, make a date-time with that zone ("Z" for 0, else
// "+hh:mm"/"-hh:mm", with or without seconds and a fraction) that parses back to that time,
// and a zone-less date or date and minute that parses as local time, either as no date when
// the text's year is past 9999; and the first seven bytes, read as date and time fields (years
// around 1970, 2038 and 10000, months 0 to 13, days 0 to 32, hours 0 to 25, minutes 0 to 60,
// seconds 0 to 61), a "T" or a blank between date and time, and a zone, make a text that reads
// as timegm reads its fields when the year is at most 9999, the calendar has the day and the
// clock the time (a second 60 is a leap second, 24:00:00 the end of the day) and the instant
// is not before 1970, and as no date otherwise.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "feed/DateParsing.h"
#include "support/ExactCopy.h"
#include "support/Calendar.h"
#include "support/FuzzCheck.h"

namespace {

constexpr int kLastYear = 9999;
constexpr int64_t kLocalZoneSeconds = 9 * 3600;  // JST-9, set below

void checkRange(std::string_view text) {
    const std::optional<int64_t> seconds = ParseW3cDate(text);
    FUZZ_CHECK(!seconds || *seconds >= 0, text);
    const size_t nul = text.find('\0');
    if (nul != std::string_view::npos) {
        const ExactCopy beforeNul(text.substr(0, nul));
        FUZZ_CHECK(ParseW3cDate(beforeNul.view()) == seconds, text);
    }
}

// The year a text shows for `time` seen `offsetMinutes` east of UTC.
int textYear(int64_t time, int32_t offsetMinutes) {
    return utcFields(time + int64_t{offsetMinutes} * 60).tm_year + 1900;
}

std::string w3cText(int64_t time, int32_t offsetMinutes, uint8_t form) {
    const std::tm fields = utcFields(time + int64_t{offsetMinutes} * 60);
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

// 38 bits: the years 1970 to 10680, most of them past 9999.
int64_t timeFromBytes(const uint8_t* data) {
    return static_cast<int64_t>(uint64_t{data[0]} | uint64_t{data[1]} << 8 | uint64_t{data[2]} << 16 |
                                uint64_t{data[3]} << 24 | uint64_t{data[6] & 0x3Fu} << 32);
}

void checkFormattedDateReadsBack(const uint8_t* data) {
    const int64_t time = timeFromBytes(data);
    const int32_t offsetMinutes = static_cast<int8_t>(data[4]) * 15 % (24 * 60);
    const std::string formatted = w3cText(time, offsetMinutes, data[5]);
    // Without seconds the text is read to the minute.
    std::optional<int64_t> expected = (data[5] & 1) ? time : time - time % 60;
    if (textYear(time, offsetMinutes) > kLastYear) expected.reset();
    const ExactCopy text(formatted);
    FUZZ_CHECK(ParseW3cDate(text.view()) == expected, formatted);
}

// A date alone, or a date and time to the minute, without a zone: local standard time.
void checkZonelessDateReadsAsLocalTime(const uint8_t* data) {
    const int64_t localTime = timeFromBytes(data);
    const std::tm fields = utcFields(localTime);
    char formatted[32];
    const bool dateOnly = data[5] & 8;
    if (dateOnly) {
        std::snprintf(formatted, sizeof formatted, "%04d-%02d-%02d", fields.tm_year + 1900, fields.tm_mon + 1,
                      fields.tm_mday);
    } else {
        std::snprintf(formatted, sizeof formatted, "%04d-%02d-%02dT%02d:%02d", fields.tm_year + 1900,
                      fields.tm_mon + 1, fields.tm_mday, fields.tm_hour, fields.tm_min);
    }
    const int64_t seconds = localTime - localTime % (dateOnly ? 86400 : 60) - kLocalZoneSeconds;
    std::optional<int64_t> expected;
    if (fields.tm_year + 1900 <= kLastYear && seconds >= 0) expected = seconds;
    const ExactCopy text(formatted);
    FUZZ_CHECK(ParseW3cDate(text.view()) == expected, formatted);
}

void checkDateFieldsReadAsTheCalendar(const uint8_t* data) {
    static const struct {
        const char* text;
        int32_t offsetMinutes;
    } kZones[] = {{"Z", 0}, {"+09:00", 540}, {"-05:30", -330}, {" CEST", 120}};
    static const int kYearBands[] = {1965, 2030, 9960};
    const int year = kYearBands[data[0] % 3] + data[0] / 3 % 45, month = data[1] % 14, day = data[2] % 33;
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
    std::optional<int64_t> expected;
    if (year <= kLastYear && isRealDay(year, month, day) && realTime) {
        const int64_t seconds = utcSeconds(year, month, day, hour, minute, second) - int64_t{60} * zone.offsetMinutes;
        if (seconds >= 0) expected = seconds;
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
    if (size >= 7) {
        checkFormattedDateReadsBack(data);
        checkZonelessDateReadsAsLocalTime(data);
        checkDateFieldsReadAsTheCalendar(data);
    }
    return 0;
}
