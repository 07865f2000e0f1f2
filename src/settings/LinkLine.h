#pragma once
// One subscription as a line of the settings file: "%d|%s|%s|%d|%d|%lu".
// Operates on bytes in the ANSI code page; the caller supplies that code page's lead-byte rule.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using LeadByteTest = bool (*)(unsigned char byte);

// The last retrieval time is written as an unsigned 32-bit number: from 1970 to
// 2106-02-07 06:28:15 UTC.
constexpr int64_t kLatestStoredTime = UINT32_MAX;

struct LinkLineFields {
    int32_t enabled = 1;
    std::string url;
    std::string title;
    int32_t htmlMode = 1;
    int32_t senderMode = 2;
    int64_t lastRetrieved = 0;
};

// Non-empty fields between "|" separators; a "|" that is the trail byte of a
// double-byte character does not split.
std::vector<std::string_view> splitLinkLine(std::string_view line, LeadByteTest isLeadByte);

// Optional blanks, optional sign, then leading digits; no digits give 0. Wraps modulo 2^32
// like an unsigned conversion, so an unsigned "%lu" field reads back as the value it was.
int32_t parseDecimal(std::string_view text);

// Nullopt when fewer than six fields remain. `legacyVersion11` reads a seventh field of
// value 1 as line-break mode. The last retrieval time reads as unsigned, as it was written.
std::optional<LinkLineFields> parseLinkLine(std::string_view line, bool legacyVersion11,
                                            LeadByteTest isLeadByte);

// The line of `fields`, each field cleaned so that it reads back as one field of one line:
// in the title a "|" becomes "?" and a control byte a blank; in the URL both are
// percent-encoded ("|" as "%7C"). A lead byte without its trail byte counts as unsafe too.
// A last retrieval time outside 0 to kLatestStoredTime is written as the nearer end.
std::string formatLinkLine(const LinkLineFields& fields, LeadByteTest isLeadByte);
