#pragma once
// The two date notations of feed items, as seconds since 1970-01-01 00:00:00 UTC.
// Inputs are ANSI texts; a NUL inside one ends it.
#include <cstdint>
#include <string_view>

// The pubDate form, "Mon, 02 Jan 2006 15:04:05 +0900" or with a zone name. 0 when the text is
// not such a date or names a day that does not exist, otherwise at least 1 (dates before 1970
// give 1).
int32_t ParseRfc822Date(std::string_view text);

// The dc:date form, "2006-01-02T15:04:05+09:00", also with a blank for the "T" and with a zone
// name. A time without a zone is local standard time. -1 for unusable text, a day or time
// that does not exist, and instants outside 1970 to 2038.
int32_t ParseW3cDate(std::string_view text);

// Seconds since 1970 of a proleptic Gregorian date and time; the day is not checked against
// the month's length. Dates from 2038 on all give 2037-12-01 00:00:00.
int64_t DaysFromCivil(int year, int month, int day, int hour, int minute, int second);
