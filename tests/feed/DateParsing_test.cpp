#include "feed/DateParsing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace {

using Date = std::optional<int64_t>;
constexpr int64_t kMondayGmt = 1136214245;  // Mon, 02 Jan 2006 15:04:05 GMT
constexpr int64_t kLocalZone = 9 * 3600;     // JST-9, which the tests run in
const Date kNoDate = std::nullopt;

TEST(DateParsing, Rfc822Dates) {
    const struct {
        const char* name;
        std::string text;
        Date expected;
    } cases[] = {
        {"numeric zone", "Mon, 02 Jan 2006 15:04:05 +0900", 1136181845},
        {"GMT", "Mon, 02 Jan 2006 15:04:05 GMT", kMondayGmt},
        {"UT", "Mon, 02 Jan 2006 15:04:05 UT", kMondayGmt},
        {"utc in lower case", "Mon, 02 Jan 2006 15:04:05 utc", kMondayGmt},
        {"military Z is not in the table", "Mon, 02 Jan 2006 15:04:05 Z", kMondayGmt},
        {"unknown name counts as UTC", "Mon, 02 Jan 2006 15:04:05 XST", kMondayGmt},
        {"EST, two-digit year", "02 Jan 06 15:04:05 EST", kMondayGmt + 5 * 3600},
        {"zone name in lower case", "Mon, 02 Jan 2006 15:04:05 pdt", kMondayGmt + 7 * 3600},
        {"negative numeric zone", "Mon, 02 Jan 2006 15:04:05 -0500", kMondayGmt + 5 * 3600},
        {"hours and minutes with a colon", "Mon, 2-Jan-2006 15:04:05 +09:00", 1136181845},
        {"half hours east", "Mon, 02 Jan 2006 15:04:05 +09:30", kMondayGmt - 9 * 3600 - 1800},
        {"sign covers the minutes", "Mon, 02 Jan 2006 15:04:05 -05:30", kMondayGmt + 5 * 3600 + 1800},
        {"GMT with an offset", "Mon, 02 Jan 2006 15:04:05 GMT+0100", kMondayGmt - 3600},
        {"largest numeric zone", "Mon, 02 Jan 2006 15:04:05 +9959", kMondayGmt - (99 * 60 + 59) * 60},
        {"numeric zone too large", "Mon, 02 Jan 2006 15:04:05 +10000", kNoDate},
        {"huge numeric zone", "Mon, 02 Jan 2006 15:04:05 +99999999999999999999", kNoDate},
        {"minutes then zone", "Mon, 02 Jan 2006 15:04 GMT", kMondayGmt - 5},
        {"minutes then a blank", "Mon, 02 Jan 2006 15:04 ", kMondayGmt - 5},
        {"text ends after the minutes", "Mon, 02 Jan 2006 15:04", kNoDate},
        {"date alone is midnight UTC", "Mon, 02 Jan 2006", 1136160000},
        {"leading blanks", "  Mon, 02 Jan 2006", 1136160000},
        {"no weekday", "02 Jan 2006", 1136160000},
        {"weekday in another script", "\xc8\xd5, 02 Jan 2006", 1136160000},
        {"full month name", "2 January 2006", 1136160000},
        {"month before the day", "Mon, Jan 02 2006 15:04:05 GMT", kMondayGmt},
        {"day 32", "Mon, 32 Jan 2006", kNoDate},
        {"day 0", "Mon, 0 Jan 2006", kNoDate},
        {"31 February", "31 Feb 2006", kNoDate},
        {"31 April", "31 Apr 2006", kNoDate},
        {"29 February of a common year", "29 Feb 2006", kNoDate},
        {"29 February of a leap year", "29 Feb 2004", 1078012800},
        {"29 February 2000", "29 Feb 2000", 951782400},
        {"29 February 2100 is no leap day", "29 Feb 2100", kNoDate},
        {"unknown month", "Mon, 02 Foo 2006", kNoDate},
        {"month cut short", "Mon, 02 Ja", kNoDate},
        {"dash inside the month", "Mon, 02 J-n 2006", kNoDate},
        {"no year", "Mon, 02 Jan", kNoDate},
        {"year 49 is 2049", "02 Jan 49", 2493158400},
        {"year 50 is 1950", "02 Jan 50", 1},
        {"year 1899", "02 Jan 1899", kNoDate},
        {"year 2500", "02 Jan 2500", 16725312000},
        {"year 2501", "02 Jan 2501", kNoDate},
        {"2040 less the zone", "Mon, 02 Jan 2040 00:00:00 +0900", 2209042800},
        {"past 32 bits", "Tue, 19 Jan 2038 03:14:08 GMT", 2147483648},
        {"2100", "Fri, 01 Jan 2100 00:00:00 GMT", 4102444800},
        {"1969 gives 1", "Wed, 31 Dec 1969 23:59:59 GMT", 1},
        {"just after 1970", "Thu, 01 Jan 1970 00:00:02 GMT", 2},
        {"zone pushes before 1970", "Thu, 01 Jan 1970 00:00:00 +0100", 1},
        {"hour 24", "Mon, 02 Jan 2006 24:00:00", kNoDate},
        {"minute 60", "Mon, 02 Jan 2006 15:60:00", kNoDate},
        {"leap second is the next minute", "Mon, 02 Jan 2006 15:04:60 GMT", kMondayGmt + 55},
        {"second 61", "Mon, 02 Jan 2006 15:04:61 GMT", kNoDate},
        {"no colon in the time", "Mon, 02 Jan 2006 15-04", kNoDate},
        {"no blank before the time", "Mon, 02 Jan 2006x15:04:05", kNoDate},
        {"trailing blank after the year", "Mon, 02 Jan 2006 ", kNoDate},
        {"empty", "", kNoDate},
        {"blanks", "   ", kNoDate},
        {"a word", "Monday", kNoDate},
        {"NUL ends the text", std::string("Mon, 02 Jan 2006\0 15:04:05 +0900", 32), 1136160000},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseRfc822Date(c.text), c.expected) << c.name;
}

// Names other than the US ones need the whole word: words they only begin count as UTC.
TEST(DateParsing, Rfc822ZoneNames) {
    const struct {
        const char* zone;
        int32_t offsetMinutes;
    } cases[] = {
        {"CET", 60},    {"CEST", 120},  {"MET", 60},    {"MEST", 120},  {"EET", 120},   {"EEST", 180},
        {"WET", 0},     {"WEST", 60},   {"BST", 60},    {"IST", 330},   {"JST", 540},   {"KST", 540},
        {"HKT", 480},   {"SGT", 480},   {"AEST", 600},  {"AEDT", 660},  {"ACST", 570},  {"AWST", 480},
        {"NZST", 720},  {"NZDT", 780},  {"cest", 120},  {"JST)", 540},  {"EST", -300},  {"MST", -420},
        {"CETUS", 0},   {"ISTANBUL", 0}, {"ESTONIA", -300}, {"EESTI", 0},
    };
    for (const auto& c : cases) {
        const std::string text = std::string("Mon, 02 Jan 2006 15:04:05 ") + c.zone;
        EXPECT_EQ(ParseRfc822Date(text), kMondayGmt - 60 * c.offsetMinutes) << text;
    }
}

TEST(DateParsing, Rfc822ReadsNoFurtherThanItsText) {
    const std::string text = "Mon, 02 Jan 2006 15:04:05 +0900";
    const struct {
        size_t length;
        Date expected;
    } cases[] = {{16, 1136160000}, {22, kNoDate}, {25, kMondayGmt}, {27, kMondayGmt}, {31, 1136181845}, {3, kNoDate}};
    for (const auto& c : cases) {
        EXPECT_EQ(ParseRfc822Date(std::string_view(text).substr(0, c.length)), c.expected) << c.length;
    }
}

TEST(DateParsing, CivilDateToSeconds) {
    const struct {
        int year, month, day, hour, minute, second;
        int64_t expected;
    } cases[] = {
        {1970, 1, 1, 0, 0, 0, 0},
        {2006, 1, 2, 15, 4, 5, kMondayGmt},
        {2000, 2, 29, 0, 0, 0, 951782400},
        {2004, 2, 31, 0, 0, 0, 1078185600},  // 2 March
        {2037, 12, 31, 23, 59, 59, 2145916799},
        {2038, 1, 19, 3, 14, 7, 2147483647},
        {2038, 1, 19, 3, 14, 8, 2147483648},
        {9999, 6, 6, 6, 6, 6, 253384265166},
        {1969, 12, 31, 23, 59, 59, -1},
        {1900, 1, 1, 0, 0, 0, -2208988800},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DaysFromCivil(c.year, c.month, c.day, c.hour, c.minute, c.second), c.expected) << c.year;
    }
}

// The zone-less rows read local time in the zone the tests run in, TZ=JST-9.
TEST(DateParsing, W3cDates) {
    const struct {
        const char* name;
        std::string text;
        Date expected;
    } cases[] = {
        {"east of UTC", "2006-01-02T15:04:05+09:00", 1136181845},
        {"UTC", "2006-01-02T06:04:05Z", 1136181845},
        {"fraction and west of UTC", "2005-01-02T03:04:05.25-05:00", 1104653045},
        {"fraction then Z", "2006-01-02T15:04:05.123Z", kMondayGmt},
        {"to the minute with zone", "2005-01-02T03:04+09:00", 1104602640},
        {"to the minute is local", "2005-01-02T03:04", 1104602640},
        {"date alone is local midnight", "2005-01-02", 1104591600},
        {"seconds without zone read as UTC to the minute", "2005-01-02T03:04:05", 1104635040},
        {"sign covers the minutes", "2006-01-02T15:04:05-00:30", kMondayGmt + 1800},
        {"zone without a colon", "2006-01-02T15:04:05+0900", 1136181845},
        {"zone without a colon, west", "2006-01-02T15:04:05-0530", kMondayGmt + 5 * 3600 + 1800},
        {"lower-case t reads the date alone", "2006-01-02t15:04:05Z", 1136127600},
        {"year 1 is 1970", "0001-01-02T03:04:05Z", 97445},
        {"blank for the T", "2006-01-02 15:04:05+09:00", 1136181845},
        {"blank for the T, blank before the zone", "2006-01-02 15:04:05 +0900", 1136181845},
        {"blank for the T, UTC", "2006-01-02 06:04:05Z", 1136181845},
        {"blank for the T, to the minute is local", "2005-01-02 03:04", 1104602640},
        {"zone name", "2006-01-02 15:04:05 JST", 1136181845},
        {"zone name after a fraction", "2006-01-02T07:04:05.5CET", 1136181845},
        {"unknown zone name counts as UTC", "2006-01-02T15:04:05CETUS", kMondayGmt},
        {"29 February of a leap year", "2004-02-29T00:00:00Z", 1078012800},
        {"29 February of a common year", "2006-02-29T00:00:00Z", kNoDate},
        {"31 April", "2006-04-31", kNoDate},
        {"month 13", "2006-13-01T00:00:00Z", kNoDate},
        {"month 0", "2006-00-10", kNoDate},
        {"day 0", "2006-01-00", kNoDate},
        {"no day", "2006-01", kNoDate},
        {"hour 25", "2006-01-02T25:00:00Z", kNoDate},
        {"minute 60", "2006-01-02T15:60:00Z", kNoDate},
        {"leap second is the next minute", "2006-01-02T15:04:60Z", kMondayGmt + 55},
        {"second 61", "2006-01-02T15:04:61Z", kNoDate},
        {"24:00 ends the day", "2006-01-01T24:00:00Z", 1136160000},
        {"past 24:00", "2006-01-01T24:00:01Z", kNoDate},
        {"last 32-bit second", "2038-01-19T03:14:07Z", 2147483647},
        {"past 32 bits", "2038-01-19T03:14:08Z", 2147483648},
        {"2100 is local", "2100-01-01", 4102444800 - kLocalZone},
        {"last day of 9999 is local", "9999-12-31", 253402214400 - kLocalZone},
        {"year 10000", "10000-01-01T00:00:00Z", kNoDate},
        {"before 1970", "1969-12-31T23:59:59Z", kNoDate},
        {"huge year", "99999999999-01-01T00:00:00Z", kNoDate},
        {"empty", "", kNoDate},
        {"words", "yesterday", kNoDate},
        {"NUL ends the text", std::string("2006-01-02T15:04:05\0+09:00", 26), kMondayGmt - 5},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseW3cDate(c.text), c.expected) << c.name;
}

void setZone(const std::string& zone) {
#ifdef _WIN32
    _putenv(("TZ=" + zone).c_str());
    _tzset();
#else
    setenv("TZ", zone.c_str(), 1);
    tzset();
#endif
}

// A time that names its zone is that instant wherever the parsing runs, summer time or not.
TEST(DateParsing, W3cZoneGivenIgnoresTheLocalZone) {
    const char* before = std::getenv("TZ");
    const std::string previous = before ? before : "";
    setZone("EST5EDT");
    EXPECT_EQ(ParseW3cDate("2006-01-02T15:04:05+09:00"), 1136181845);
    EXPECT_EQ(ParseW3cDate("2006-07-01T12:00:00Z"), 1151755200);
    EXPECT_EQ(ParseW3cDate("2006-01-02T12:00"), 1136221200);  // local EST
    EXPECT_EQ(ParseW3cDate("2040-07-01T12:00"), 2224774800);  // local EST, though summer
    setZone(previous);
    EXPECT_EQ(ParseW3cDate("2005-01-02T03:04"), 1104602640);
}

}  // namespace
