// ParseRfc822Date over arbitrary text in an exactly-sized block (no terminator: the text
// is a view). Checked: the result is 0 or a second count from 1 up to the latest that a
// date before 2038 with a zone of -99:59 can give; a NUL ends the text; and the first six
// bytes, read as a time and a zone offset, make a date text through formatRfc822Date that
// parses back to that time (to 1 before 1970, to the 2038 clamp less the zone after it; zones of 1 to 29
// minutes are read as hours and left out).
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <string>

#include "common/DateText.h"
#include "feed/DateParsing.h"
#include "support/ExactCopy.h"
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ExactCopy text(std::string_view(reinterpret_cast<const char*>(data), size));
    checkRange(text.view());
    if (size >= 6) checkFormattedDateReadsBack(data);
    return 0;
}
