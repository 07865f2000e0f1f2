#include "feed/FeedItem.h"

#include <gtest/gtest.h>

namespace {

TEST(FeedItemText, SenderByMode) {
    const struct {
        std::wstring author;
        int32_t mode;
        std::wstring expected;
    } cases[] = {
        {L"Alice", 0, L"Alice"},
        {L"", 0, L""},
        {L"Alice", 1, L"Blog"},
        {L"Alice", 2, L"Blog [Alice]"},
        {L"", 2, L"Blog []"},
        {L"Alice", 3, L"Blog [Alice]"},
        {L"Alice", -1, L"Blog [Alice]"},
        {L"Al\r\nBcc: x@evil.example", 0, L"Al  Bcc: x@evil.example"},
        {L"A\tB\x7F", 2, L"Blog [A B ]"},
    };
    for (const auto& c : cases) EXPECT_EQ(MakeSender(c.author, c.mode, L"Blog"), c.expected) << c.mode;
}

TEST(FeedItemText, SubjectWithPrefix) {
    const struct {
        int32_t prefixOn;
        std::wstring prefixText, expected;
    } cases[] = {
        {1, L"[Blog]_", L"[Blog] News"},
        {0, L"[Blog]_", L"News"},
        {1, L"_a__b_", L" a  b News"},
        {1, L"", L"News"},
        {-1, L"[\u535a\u5ba2]", L"[\u535a\u5ba2]News"},
    };
    for (const auto& c : cases) EXPECT_EQ(MakeSubject(L"News", c.prefixOn, c.prefixText), c.expected) << c.prefixOn;
    // Line breaks, tabs and DEL in the title become blanks, one for each, prefix or not.
    for (const int32_t prefixOn : {0, 1}) {
        EXPECT_EQ(MakeSubject(L"Hello\r\nBcc:\tx\x7F\n", prefixOn, L"_"),
                  (prefixOn ? L" " : L"") + std::wstring(L"Hello  Bcc: x  "));
    }
}

}  // namespace
