// ParseRfc822Date over arbitrary text in an exactly-sized block (no terminator: the text
// is a view). Checked: the result is 0 or a second count from 1 up to the latest that a
// date before 2038 with a zone of -99:59 can give; a NUL ends the text; and the first six
// bytes, read as a time and a zone offset, make a date text through formatRfc822Date that
// parses back to that time (to 1 before 1970, to the 2038 clamp less the zone after it; zones of 1 to 29
// minutes are read as hours and left out); and the first eight bytes, read as date and time
// fields (days 0 to 33 of any month, seconds 0 to 61) and a zone, make a date text that reads
// as timegm reads its fields when the day exists and the second is at most 60 (a leap
// second), and fails otherwise.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

#include "common/DateText.h"
#include "feed/DateParsing.h"
#include "support/ExactCopy.h"
#include "support/Calendar.h"
#include "support/FuzzCheck.h"

namespace {

constexpr int64_t kFirst2038Second = 2145916800;  // 2038-01-01 00:00:00
constexpr int64_t kFrom2038 = 2143238400;         // 2037-12-01 00:00:00, where later dates end up
constexpr int64_t kLatestZoneShift = (99 * 60 + 59) * 60;

void checkRange(std::string_view text) {
    const int32_t seconds = ParseRfc822Date(text);
    FUZZ_CHECK(seconds >= 0 && seconds < kFirst2038Second + kLatestZoneShift, text);
    const size_t nul = text.find('\0');
    if (nul != std::string_view::npos) {
        const ExactCopy beforeNul(text.substr(0, nul));
        FUZZ_CHECK(ParseRfc822Date(beforeNul.view()) == seconds, text);
    }
}

void checkFormattedDateReadsBack(const uint8_t* data) {
    const int32_t time = static_cast<int32_t>(uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 |
                                              uint32_t(data[3]) << 24);
    // The date text writes zone hours modulo 24, so offsets stay within a day.
    const int32_t offsetMinutes = static_cast<int16_t>(uint16_t(data[4]) | uint16_t(data[5]) << 8) % 1440;
    // The notation reads a number below 30 as whole hours, "+0015" as +15:00; no real zone
    // is less than half an hour away from UTC.
    if (offsetMinutes != 0 && offsetMinutes > -30 && offsetMinutes < 30) return;
    const ExactCopy text(formatRfc822Date(time, offsetMinutes));
    const int64_t shifted = int64_t{time} + int64_t{offsetMinutes} * 60;
    const int64_t expected = shifted >= kFirst2038Second ? kFrom2038 - int64_t{offsetMinutes} * 60
                                                         : std::max<int64_t>(time, 1);
    FUZZ_CHECK(ParseRfc822Date(text.view()) == expected, text.view());
}

void checkDateFieldsReadAsTheCalendar(const uint8_t* data) {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    static const struct {
        const char* text;
        int32_t offsetMinutes;
    } kZones[] = {{"GMT", 0}, {"CEST", 120}, {"NZDT", 780}, {"-0330", -210}};
    const int day = data[0] % 34, month = data[1] % 12 + 1, year = 1960 + data[2] % 90;
    const int hour = data[3] % 24, minute = data[4] % 60, second = data[5] % 62;
    const auto& zone = kZones[data[6] % 4];
    char formatted[64];
    std::snprintf(formatted, sizeof formatted, "Mon, %02d %s %04d %02d:%02d:%02d %s", day, kMonths[month - 1], year,
                  hour, minute, second, zone.text);
    int64_t expected = 0;
    if (day >= 1 && isRealDay(year, month, day) && second <= 60) {
        std::tm fields{};
        fields.tm_year = year >= 2038 ? 137 : year - 1900;
        fields.tm_mon = year >= 2038 ? 11 : month - 1;
        fields.tm_mday = year >= 2038 ? 1 : day;
        if (year < 2038) {
            fields.tm_hour = hour;
            fields.tm_min = minute;
            fields.tm_sec = second;
        }
        expected = std::max<int64_t>(int64_t{timegm(&fields)} - int64_t{60} * zone.offsetMinutes, 1);
    }
    const ExactCopy text{std::string_view(formatted)};
    FUZZ_CHECK(ParseRfc822Date(text.view()) == expected, text.view());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ExactCopy text(std::string_view(reinterpret_cast<const char*>(data), size));
    checkRange(text.view());
    if (size >= 6) checkFormattedDateReadsBack(data);
    if (size >= 7) checkDateFieldsReadAsTheCalendar(data);
    return 0;
}
