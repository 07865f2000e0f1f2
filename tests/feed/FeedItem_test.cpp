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
}

}  // namespace
