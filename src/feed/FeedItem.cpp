#include "feed/FeedItem.h"

#include <algorithm>

namespace {

// A line break in a sender or subject would survive into the decoded header text, where a
// client writing it back into a reply's header, or showing it on one line, breaks.
std::wstring blankControlCharacters(std::wstring text) {
    std::replace_if(
        text.begin(), text.end(), [](wchar_t c) { return c < 0x20 || c == 0x7F; }, L' ');
    return text;
}

std::wstring senderText(const std::wstring& author, int32_t senderMode, const std::wstring& feedTitle) {
    switch (senderMode) {
        case 0: return author;
        case 1: return feedTitle;
        default: return feedTitle + L" [" + author + L"]";
    }
}

}  // namespace

std::wstring MakeSender(const std::wstring& author, int32_t senderMode, const std::wstring& feedTitle) {
    return blankControlCharacters(senderText(author, senderMode, feedTitle));
}

std::wstring MakeSubject(const std::wstring& title, int32_t subjectPrefix, const std::wstring& subjectPrefixText) {
    if (subjectPrefix == 0) return blankControlCharacters(title);
    std::wstring prefix = subjectPrefixText;
    std::replace(prefix.begin(), prefix.end(), L'_', L' ');
    return blankControlCharacters(prefix + title);
}
