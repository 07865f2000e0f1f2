// ParseRfc822Date over arbitrary text in an exactly-sized block (no terminator: the text
// is a view). Checked: the result is no date or a second count from 1 up to the latest that
// the year 2500 with a zone of -99:59 can give; a NUL ends the text; and the first seven
// bytes, read as a time of 1890 to 2978 and a zone offset, make a date text through
// formatRfc822Date that parses back to that time (to 1 before 1970, to no date when the text's
// year is outside 1900 to 2500; zones of 1 to 29 minutes are read as hours and left out); and
// the first seven bytes, read as date and time fields (years around 1900, 1970, 2038 and
// 2500, days 0 to 33 of any month, seconds 0 to 61) and a zone, make a date text that reads as
// timegm reads its fields when the year is 1900 to 2500, the day exists and the second is at
// most 60 (a leap second), and as no date otherwise.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "common/DateText.h"
#include "feed/DateParsing.h"
#include "support/ExactCopy.h"
#include "support/Calendar.h"
#include "support/FuzzCheck.h"

namespace {

constexpr int kFirstYear = 1900;
constexpr int kLastYear = 2500;
constexpr int64_t kFirst1890Second = -2524521600;  // 1890-01-01 00:00:00
constexpr int64_t kFirst2501Second = 16756761600;  // 2501-01-01 00:00:00
constexpr int64_t kLatestZoneShift = (99 * 60 + 59) * 60;

bool isReadYear(int year) { return year >= kFirstYear && year <= kLastYear; }

void checkRange(std::string_view text) {
    const std::optional<int64_t> seconds = ParseRfc822Date(text);
    FUZZ_CHECK(!seconds || (*seconds >= 1 && *seconds < kFirst2501Second + kLatestZoneShift), text);
    const size_t nul = text.find('\0');
    if (nul != std::string_view::npos) {
        const ExactCopy beforeNul(text.substr(0, nul));
        FUZZ_CHECK(ParseRfc822Date(beforeNul.view()) == seconds, text);
    }
}

void checkFormattedDateReadsBack(const uint8_t* data) {
    const uint64_t bits = uint64_t{data[0]} | uint64_t{data[1]} << 8 | uint64_t{data[2]} << 16 |
                          uint64_t{data[3]} << 24 | uint64_t{data[4] & 7u} << 32;
    const int64_t time = kFirst1890Second + static_cast<int64_t>(bits);
    // The date text writes zone hours modulo 24, so offsets stay within a day.
    const int32_t offsetMinutes = static_cast<int16_t>(uint16_t(data[5]) | uint16_t(data[6]) << 8) % 1440;
    // The notation reads a number below 30 as whole hours, "+0015" as +15:00; no real zone
    // is less than half an hour away from UTC.
    if (offsetMinutes != 0 && offsetMinutes > -30 && offsetMinutes < 30) return;
    const ExactCopy text(formatRfc822Date(time, offsetMinutes));
    const int textYear = utcFields(time + int64_t{offsetMinutes} * 60).tm_year + 1900;
    const std::optional<int64_t> expected =
        isReadYear(textYear) ? std::optional<int64_t>(std::max<int64_t>(time, 1)) : std::nullopt;
    FUZZ_CHECK(ParseRfc822Date(text.view()) == expected, text.view());
}

void checkDateFieldsReadAsTheCalendar(const uint8_t* data) {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    static const struct {
        const char* text;
        int32_t offsetMinutes;
    } kZones[] = {{"GMT", 0}, {"CEST", 120}, {"NZDT", 780}, {"-0330", -210}};
    static const int kYearBands[] = {1890, 1960, 2030, 2460};
    const int day = data[0] % 34, month = data[1] % 12 + 1, year = kYearBands[data[2] % 4] + data[2] / 4 % 50;
    const int hour = data[3] % 24, minute = data[4] % 60, second = data[5] % 62;
    const auto& zone = kZones[data[6] % 4];
    char formatted[64];
    std::snprintf(formatted, sizeof formatted, "Mon, %02d %s %04d %02d:%02d:%02d %s", day, kMonths[month - 1], year,
                  hour, minute, second, zone.text);
    std::optional<int64_t> expected;
    if (isReadYear(year) && day >= 1 && isRealDay(year, month, day) && second <= 60) {
        const int64_t seconds = utcSeconds(year, month, day, hour, minute, second) - int64_t{60} * zone.offsetMinutes;
        expected = std::max<int64_t>(seconds, 1);
    }
    const ExactCopy text{std::string_view(formatted)};
    FUZZ_CHECK(ParseRfc822Date(text.view()) == expected, text.view());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ExactCopy text(std::string_view(reinterpret_cast<const char*>(data), size));
    checkRange(text.view());
    if (size >= 7) {
        checkFormattedDateReadsBack(data);
        checkDateFieldsReadAsTheCalendar(data);
    }
    return 0;
}
