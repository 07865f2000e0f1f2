#include "ui/FieldText.h"

#include <gtest/gtest.h>

#include "support/LeadBytes.h"

namespace {

TEST(FieldText, KeepsWholeCharactersWithinTheLimit) {
    const struct {
        const char* name;
        std::string bytes;
        size_t limit;
        size_t expected;
    } cases[] = {
        {"short", "abc", kMaxFieldBytes, 3},
        {"long", std::string(300, 'a'), kMaxFieldBytes, 254},
        {"double-byte character across the limit", "a\x81\x40", 2, 1},
        {"double-byte character up to the limit", "a\x81\x40", 3, 3},
        {"lead byte without trail byte", "ab\x81", 3, 3},
        {"254 bytes of double-byte characters", std::string(300, '\x81'), kMaxFieldBytes, 254},
        {"odd limit in double-byte characters", std::string(300, '\x81'), 253, 252},
    };
    for (const auto& c : cases) EXPECT_EQ(wholeCharacterPrefix(c.bytes, c.limit, isGbkLeadByte), c.expected) << c.name;
}

TEST(FieldText, NumbersReadLikeTheRuntimeAndStopAtTheLimits) {
    const struct {
        const char* text;
        int32_t expected;
    } cases[] = {
        {"15", 15},     {"", 0},  {"abc", 0}, {" 42x", 42}, {"-7", -7}, {"+8", 8}, {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX}, {"99999999999999999999", INT32_MAX}, {"-2147483648", INT32_MIN},
        {"-99999999999", INT32_MIN},
    };
    for (const auto& c : cases) EXPECT_EQ(fieldNumber(std::string_view(c.text)), c.expected) << c.text;
}

}  // namespace
