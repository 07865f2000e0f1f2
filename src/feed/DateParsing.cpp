#include "feed/DateParsing.h"

#include <algorithm>
#include <ctime>
#include <initializer_list>
#include <optional>

namespace {

constexpr std::string_view kMonthNames = "janfebmaraprmayjunjulaugsepoctnovdec";

struct ZoneName {
    std::string_view name;
    int32_t offsetMinutes;
    // The US names have always also named any word they begin ("ESTONIA" reads as EST); the
    // others need the whole word, so that words they begin still count as UTC.
    bool namesLongerWords;
};

// Compared as prefixes of the remaining text without case, first match first; no name begins
// with an earlier one. Names not here count as UTC.
constexpr ZoneName kZoneNames[] = {
    {"UT", 0, true},       {"GMT", 0, true},      {"EST", -300, true},   {"EDT", -240, true},
    {"CST", -360, true},   {"CDT", -300, true},   {"MST", -420, true},   {"MDT", -360, true},
    {"PST", -480, true},   {"PDT", -420, true},   {"WET", 0, false},     {"WEST", 60, false},
    {"BST", 60, false},    {"CET", 60, false},    {"CEST", 120, false},  {"MET", 60, false},
    {"MEST", 120, false},  {"EET", 120, false},   {"EEST", 180, false},  {"IST", 330, false},
    {"HKT", 480, false},   {"SGT", 480, false},   {"AWST", 480, false},  {"JST", 540, false},
    {"KST", 540, false},   {"ACST", 570, false},  {"AEST", 600, false},  {"AEDT", 660, false},
    {"NZST", 720, false},  {"NZDT", 780, false},
};

constexpr int64_t kNumberLimit = 1000000000000;
constexpr int64_t kFieldLimit = 1000000;
// The notation writes years in four digits.
constexpr int kLastW3cYear = 9999;

bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char toLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// A left-to-right reading position that never passes the end of its text.
class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text.substr(0, text.find('\0'))) {}

    bool atEnd() const { return pos_ >= text_.size(); }
    size_t remaining() const { return text_.size() - pos_; }
    char peek(size_t ahead = 0) const { return ahead < remaining() ? text_[pos_ + ahead] : '\0'; }
    std::string_view rest() const { return text_.substr(pos_); }
    void advance(size_t count = 1) { pos_ += std::min(count, remaining()); }

    template <typename Predicate>
    void skipWhile(Predicate predicate) {
        while (!atEnd() && predicate(text_[pos_])) ++pos_;
    }
    void skipSpaces() { skipWhile(isSpace); }

    bool startsWithNoCase(std::string_view word) const {
        if (remaining() < word.size()) return false;
        for (size_t i = 0; i < word.size(); ++i) {
            if (toLower(peek(i)) != toLower(word[i])) return false;
        }
        return true;
    }

    // A decimal number as strtol reads it: white space, an optional sign, digits. Without
    // digits nothing is consumed and the value is 0. Huge values saturate; every caller
    // rejects them by range.
    int64_t readNumber() {
        size_t pos = pos_;
        while (pos < text_.size() && isSpace(text_[pos])) ++pos;
        const bool negative = pos < text_.size() && text_[pos] == '-';
        if (pos < text_.size() && (text_[pos] == '-' || text_[pos] == '+')) ++pos;
        if (pos >= text_.size() || !isDigit(text_[pos])) return 0;
        int64_t value = 0;
        for (; pos < text_.size() && isDigit(text_[pos]); ++pos) {
            value = std::min(value * 10 + (text_[pos] - '0'), kNumberLimit);
        }
        pos_ = pos;
        return negative ? -value : value;
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

// Three characters naming a month, then the rest of the word; 1 to 12, or 0 for none.
int readMonth(Scanner& scanner) {
    char name[3];
    for (size_t i = 0; i < 3; ++i) {
        const char c = scanner.peek(i);
        if (i >= scanner.remaining() || c == '-' || isSpace(c)) return 0;
        name[i] = toLower(c);
    }
    scanner.advance(3);
    const size_t found = kMonthNames.find(std::string_view(name, 3));
    if (found == std::string_view::npos) return 0;
    scanner.skipWhile(isLetter);
    return static_cast<int>(found / 3) + 1;
}

bool isSpaceOrDash(char c) { return isSpace(c) || c == '-'; }

bool isLeapYear(int64_t year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

// No 31 April, and 29 February only in leap years: a day that does not exist makes the date
// unusable rather than a day of the next month.
bool isCalendarDate(int64_t year, int64_t month, int64_t day) {
    constexpr int kMonthLengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1) return false;
    return day <= kMonthLengths[month - 1] + (month == 2 && isLeapYear(year) ? 1 : 0);
}

// A second 60 is a leap second; like POSIX time it counts as the next minute's first.
bool isTimeOfDay(int64_t hour, int64_t minute, int64_t second) {
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 60;
}

int32_t zoneNameOffset(std::string_view rest) {
    for (const ZoneName& zone : kZoneNames) {
        const Scanner scanner(rest);
        const bool wholeWord = !isLetter(scanner.peek(zone.name.size()));
        if (scanner.startsWithNoCase(zone.name) && (zone.namesLongerWords || wholeWord)) return zone.offsetMinutes;
    }
    return 0;
}

// "+0900", "+09:00", "-5", "GMT+0100" or a zone name, as minutes east of UTC; false for a
// numeric zone beyond 99:59.
bool readZone(Scanner& scanner, int32_t& offsetMinutes) {
    if (scanner.startsWithNoCase("gmt") || scanner.startsWithNoCase("utc")) {
        scanner.advance(3);
        scanner.skipSpaces();
    }
    if (scanner.peek() != '+' && scanner.peek() != '-') {
        offsetMinutes = zoneNameOffset(scanner.rest());
        return true;
    }
    const bool negative = scanner.peek() == '-';
    int64_t hhmm = scanner.readNumber();
    if (hhmm > -30 && hhmm < 30) {  // hours alone, perhaps followed by ":mm"
        hhmm *= 100;
        if (scanner.remaining() >= 2) {
            scanner.advance();
            const int64_t minutes = scanner.readNumber();
            hhmm += negative ? -minutes : minutes;
        }
    }
    if (hhmm < -9959 || hhmm > 9959) return false;
    offsetMinutes = static_cast<int32_t>(hhmm / 100 * 60 + hhmm % 100);
    return true;
}

// " 15:04:05" or " 15:04 " after the date.
bool readTime(Scanner& scanner, int& hour, int& minute, int& second) {
    if (!isSpace(scanner.peek())) return false;
    scanner.advance();
    const int64_t h = scanner.readNumber();
    if (h < 0 || h > 23 || scanner.peek() != ':') return false;
    scanner.advance();
    const int64_t m = scanner.readNumber();
    if (m < 0 || m > 59 || scanner.atEnd()) return false;
    int64_t s = 0;
    if (scanner.peek() == ':') {
        scanner.advance();
        s = scanner.readNumber();
        if (!isTimeOfDay(h, m, s)) return false;
    } else if (isSpace(scanner.peek())) {
        scanner.advance();
    } else {
        return false;
    }
    scanner.skipSpaces();
    hour = static_cast<int>(h);
    minute = static_cast<int>(m);
    second = static_cast<int>(s);
    return true;
}

// Fliegel and Van Flandern's Julian day less that of 1970-01-01, with truncating division.
int64_t daysSince1970(int64_t year, int64_t month, int64_t day) {
    const int64_t a = (month - 14) / 12;
    const int64_t julianDay = day - 32075 + 1461 * (year + 4800 + a) / 4 +
                              367 * (month - 2 - a * 12) / 12 - 3 * ((year + 4900 + a) / 100) / 4;
    return julianDay - 2440588;
}

int64_t secondsSince1970(int64_t days, int64_t hour, int64_t minute, int64_t second) {
    return ((days * 24 + hour) * 60 + minute) * 60 + second;
}

std::optional<int64_t> asW3cResult(int64_t seconds) {
    if (seconds < 0) return std::nullopt;
    return seconds;
}

// An hour and minute that the zone took out of their ranges carry into the day.
std::optional<int64_t> utcTime(int64_t year, int64_t month, int64_t day, int64_t hour, int64_t minute,
                               int64_t second) {
    return asW3cResult(secondsSince1970(daysSince1970(year, month, day), hour, minute, second));
}

// mktime reaches no further than 2038 where time_t has 32 bits, as on 32-bit Windows. A zone's
// standard offset after that is the one its present rules give, so later years take the
// offset that mktime finds for the same day and time in 2037.
std::optional<int64_t> localStandardTime(int year, int month, int day, int hour, int minute, int second) {
    constexpr int kLastYearOfMktime = 2037;
    const int offsetYear = std::min(year, kLastYearOfMktime);
    std::tm fields = {};
    fields.tm_year = offsetYear - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = 0;
    const int64_t local = static_cast<int64_t>(std::mktime(&fields));
    // -1 is also the last second of 1969, which is no date either.
    if (local == -1) return std::nullopt;
    const int64_t secondsWest = local - secondsSince1970(daysSince1970(offsetYear, month, day), hour, minute, second);
    return asW3cResult(secondsSince1970(daysSince1970(year, month, day), hour, minute, second) + secondsWest);
}

// sscanf's reading of a format made of %d fields ('#'), literal characters and one %15s
// ('$'), where '@' stands for "T" or a white-space character between date and time; stops at
// the first mismatch as sscanf does. Returns the number of fields assigned.
// Numbers are held to a range in which the calendar arithmetic cannot overflow.
int scanFields(std::string_view text, std::string_view layout, std::initializer_list<int*> numbers,
               std::string_view& word) {
    Scanner scanner(text);
    int* const* nextNumber = numbers.begin();
    int assigned = 0;
    for (const char c : layout) {
        if (c == '#') {
            const size_t before = scanner.remaining();
            const int64_t value = scanner.readNumber();
            if (scanner.remaining() == before) break;
            **nextNumber++ = static_cast<int>(std::clamp<int64_t>(value, -kFieldLimit, kFieldLimit));
            ++assigned;
        } else if (c == '$') {
            scanner.skipSpaces();
            const std::string_view rest = scanner.rest();
            size_t length = 0;
            while (length < rest.size() && length < 15 && !isSpace(rest[length])) ++length;
            if (length == 0) break;
            word = rest.substr(0, length);
            ++assigned;
        } else if (c == '@') {
            if (scanner.peek() != 'T' && !isSpace(scanner.peek())) break;
            scanner.advance();
        } else {
            if (scanner.atEnd() || scanner.peek() != c) break;
            scanner.advance();
        }
    }
    return assigned;
}

}  // namespace

int64_t DaysFromCivil(int year, int month, int day, int hour, int minute, int second) {
    return secondsSince1970(daysSince1970(year, month, day), hour, minute, second);
}

std::optional<int64_t> ParseRfc822Date(std::string_view text) {
    Scanner scanner(text);
    scanner.skipSpaces();
    scanner.skipWhile([](char c) { return !isDigit(c) && !isSpace(c); });  // the weekday
    scanner.skipSpaces();
    if (scanner.atEnd()) return std::nullopt;

    int month = 0;
    if (isLetter(scanner.peek()) && (month = readMonth(scanner)) == 0) return std::nullopt;
    const int64_t day = scanner.readNumber();
    if (day < 1 || day > 31 || scanner.atEnd()) return std::nullopt;
    scanner.skipWhile(isSpaceOrDash);
    if (month == 0 && (month = readMonth(scanner)) == 0) return std::nullopt;
    scanner.skipWhile(isSpaceOrDash);
    if (!isDigit(scanner.peek())) return std::nullopt;
    int64_t year = scanner.readNumber();
    if (year >= 0 && year <= 49) year += 2000;
    if (year >= 50 && year <= 99) year += 1900;
    if (year < 1900 || year > 2500 || !isCalendarDate(year, month, day)) return std::nullopt;

    int hour = 0, minute = 0, second = 0;
    if (!scanner.atEnd() && !readTime(scanner, hour, minute, second)) return std::nullopt;
    int32_t offsetMinutes = 0;
    if (!scanner.atEnd() && !readZone(scanner, offsetMinutes)) return std::nullopt;

    const int64_t seconds = DaysFromCivil(static_cast<int>(year), month, static_cast<int>(day), hour, minute,
                                          second) - int64_t{60} * offsetMinutes;
    return std::max<int64_t>(seconds, 1);
}

std::optional<int64_t> ParseW3cDate(std::string_view text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    std::string_view zone;
    if (scanFields(text, "#-#-#@#:#:#$", {&year, &month, &day, &hour, &minute, &second}, zone) != 7) {
        scanFields(text, "#-#-#@#:#$", {&year, &month, &day, &hour, &minute}, zone);
        second = 0;
    }
    if (year == 1) year = 1970;
    // 24:00 is the end of the day, the next day's midnight.
    const bool endOfDay = hour == 24 && minute == 0 && second == 0;
    if (year > kLastW3cYear || !isCalendarDate(year, month, day) || !(endOfDay || isTimeOfDay(hour, minute, second))) {
        return std::nullopt;
    }
    if (zone.empty()) return localStandardTime(year, month, day, hour, minute, second);

    if (zone.front() == '.') {  // fractions of a second
        zone.remove_prefix(1);
        while (!zone.empty() && isDigit(zone.front())) zone.remove_prefix(1);
    }
    int64_t zoneHours = 0, zoneMinutes = 0;
    if (!zone.empty() && isLetter(zone.front())) {
        zoneMinutes = zoneNameOffset(zone);  // "Z" among the names that count as UTC
    } else {
        int hours = 0, minutes = 0;
        std::string_view unused;
        scanFields(zone, "#:#", {&hours, &minutes}, unused);
        zoneHours = hours;
        zoneMinutes = minutes;
        if (zoneHours >= 100 || zoneHours <= -100) {  // "+0900": hours and minutes without a colon
            zoneMinutes = zoneHours % 100;
            zoneHours /= 100;
        } else if (!zone.empty() && zone.front() == '-') {
            zoneMinutes = -zoneMinutes;  // the sign before the hours covers the minutes too
        }
    }
    return utcTime(year, month, day, int64_t{hour} - zoneHours, int64_t{minute} - zoneMinutes, second);
}
