#include "common/DateText.h"

#include <cstdio>

namespace {

const char* const kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

struct CivilTime {
    int64_t year;
    int month;  // 0-11
    int day;    // 1-31
    int weekday;
    int hour, minute, second;
};

int64_t floorDivide(int64_t value, int64_t divisor) {
    return value / divisor - ((value % divisor != 0) && ((value < 0) != (divisor < 0)));
}

// Proleptic Gregorian UTC fields of a second count.
CivilTime breakDownUtc(int64_t seconds) {
    const int64_t days = floorDivide(seconds, 86400);
    const int64_t secondOfDay = seconds - days * 86400;
    CivilTime civil{};
    civil.hour = static_cast<int>(secondOfDay / 3600);
    civil.minute = static_cast<int>(secondOfDay / 60 % 60);
    civil.second = static_cast<int>(secondOfDay % 60);
    civil.weekday = static_cast<int>(((days + 4) % 7 + 7) % 7);  // 1970-01-01 was a Thursday

    // Days to civil date, after Howard Hinnant's algorithm.
    const int64_t shifted = days + 719468;
    const int64_t era = floorDivide(shifted, 146097);
    const int64_t dayOfEra = shifted - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;  // March-based
    civil.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    const int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    civil.month = static_cast<int>(month - 1);
    civil.year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    return civil;
}

}  // namespace

std::string formatRfc822Date(int64_t time, int32_t offsetMinutes) {
    const CivilTime civil = breakDownUtc(time + static_cast<int64_t>(offsetMinutes) * 60);
    const char sign = offsetMinutes >= 0 ? '+' : '-';
    const int64_t magnitude = offsetMinutes >= 0 ? offsetMinutes : -static_cast<int64_t>(offsetMinutes);
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04lld %02d:%02d:%02d %c%02d%02d", kWeekdays[civil.weekday],
                  civil.day, kMonths[civil.month], static_cast<long long>(civil.year), civil.hour, civil.minute,
                  civil.second, sign, static_cast<int>(magnitude / 60 % 24), static_cast<int>(magnitude % 60));
    return text;
}

std::string encodeBase64(const void* bytes, size_t count) {
    const unsigned char* in = static_cast<const unsigned char*>(bytes);
    std::string out;
    out.reserve((count + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= count; i += 3) {
        const unsigned b0 = in[i], b1 = in[i + 1], b2 = in[i + 2];
        out += kBase64Alphabet[b0 >> 2];
        out += kBase64Alphabet[((b0 & 0x03) << 4) | (b1 >> 4)];
        out += kBase64Alphabet[((b1 & 0x0F) << 2) | (b2 >> 6)];
        out += kBase64Alphabet[b2 & 0x3F];
    }
    if (count - i == 1) {
        const unsigned b0 = in[i];
        out += kBase64Alphabet[b0 >> 2];
        out += kBase64Alphabet[(b0 & 0x03) << 4];
        out += "==";
    } else if (count - i == 2) {
        const unsigned b0 = in[i], b1 = in[i + 1];
        out += kBase64Alphabet[b0 >> 2];
        out += kBase64Alphabet[((b0 & 0x03) << 4) | (b1 >> 4)];
        out += kBase64Alphabet[(b1 & 0x0F) << 2];
        out += '=';
    }
    return out;
}
