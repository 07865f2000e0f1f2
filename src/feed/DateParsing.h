#pragma once
// The two date notations of feed items, as seconds since 1970-01-01 00:00:00 UTC.
// Inputs are ANSI texts; a NUL inside one ends it.
#include <cstdint>
#include <optional>
#include <string_view>

// The pubDate form, "Mon, 02 Jan 2006 15:04:05 +0900" or with a zone name, years 1900 to
// 2500. No date when the text is not such a date or names a day that does not exist;
// otherwise at least 1 (dates before 1970 give 1).
std::optional<int64_t> ParseRfc822Date(std::string_view text);

// The dc:date form, "2006-01-02T15:04:05+09:00", also with a blank for the "T" and with a zone
// name. A time without a zone is local standard time. No date for unusable text, a day or
// time that does not exist, a year past 9999 and instants before 1970.
std::optional<int64_t> ParseW3cDate(std::string_view text);

// Seconds since 1970 of a proleptic Gregorian date and time; the day is not checked against
// the month's length.
int64_t DaysFromCivil(int year, int month, int day, int hour, int minute, int second);
