#pragma once
// One new item of a feed, ready to become a mail, and the texts built for it.
#include <cstdint>
#include <string>

struct FeedItem {
    int64_t date = 0;  // seconds since 1970 UTC
    std::wstring sender;
    std::wstring subject;
    std::wstring link;
    std::wstring body;     // normally HTML
    int32_t htmlMode = 0;  // the link's, copied unchanged
};

// Only the date orders items.
inline bool operator<(const FeedItem& a, const FeedItem& b) { return a.date < b.date; }

// The mail's sender name for the link's sender mode: the author (0), the feed title (1), or
// the feed title followed by the author in brackets (any other mode).
std::wstring MakeSender(const std::wstring& author, int32_t senderMode, const std::wstring& feedTitle);

// The item title behind the prefix text, whose "_" stand for blanks, when `subjectPrefix`
// is on.
std::wstring MakeSubject(const std::wstring& title, int32_t subjectPrefix, const std::wstring& subjectPrefixText);
