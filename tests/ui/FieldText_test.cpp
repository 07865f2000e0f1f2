#include "ui/FieldText.h"

#include <gtest/gtest.h>

namespace {

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
