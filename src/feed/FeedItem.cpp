#include "feed/FeedItem.h"

#include <algorithm>

std::wstring MakeSender(const std::wstring& author, int32_t senderMode, const std::wstring& feedTitle) {
    switch (senderMode) {
        case 0: return author;
        case 1: return feedTitle;
        default: return feedTitle + L" [" + author + L"]";
    }
}

std::wstring MakeSubject(const std::wstring& title, int32_t subjectPrefix, const std::wstring& subjectPrefixText) {
    if (subjectPrefix == 0) return title;
    std::wstring prefix = subjectPrefixText;
    std::replace(prefix.begin(), prefix.end(), L'_', L' ');
    return prefix + title;
}
