#include "common/DateText.h"

#include <gtest/gtest.h>

namespace {

TEST(DateText, Rfc822DateWithNumericZone) {
    const struct {
        int32_t time;
        int32_t offset;
        const char* expected;
    } cases[] = {
        {0, 540, "Thu, 01 Jan 1970 09:00:00 +0900"},
        {0, 0, "Thu, 01 Jan 1970 00:00:00 +0000"},
        {1700000000, 540, "Wed, 15 Nov 2023 07:13:20 +0900"},
        {1700000000, 0, "Tue, 14 Nov 2023 22:13:20 +0000"},
        {0, -300, "Wed, 31 Dec 1969 19:00:00 -0500"},
        {951782400, 0, "Tue, 29 Feb 2000 00:00:00 +0000"},
        {INT32_MAX, 0, "Tue, 19 Jan 2038 03:14:07 +0000"},
        // Past the 32-bit range once shifted: still a valid text.
        {INT32_MAX, 540, "Tue, 19 Jan 2038 12:14:07 +0900"},
        {INT32_MIN, 0, "Fri, 13 Dec 1901 20:45:52 +0000"},
        {0, 90, "Thu, 01 Jan 1970 01:30:00 +0130"},
        {0, 1500, "Fri, 02 Jan 1970 01:00:00 +0100"},
    };
    for (const auto& c : cases) EXPECT_EQ(formatRfc822Date(c.time, c.offset), c.expected) << c.time << " " << c.offset;
}

TEST(DateText, Base64WithPaddingAndNoLineBreaks) {
    const struct {
        std::string bytes;
        const char* expected;
    } cases[] = {
        {"", ""},
        {"a", "YQ=="},
        {"ab", "YWI="},
        {"abc", "YWJj"},
        {"abcd", "YWJjZA=="},
        {std::string("\0\xff\xfe", 3), "AP/+"},
        {"\xe4\xb8\xad\xe6\x96\x87", "5Lit5paH"},
    };
    for (const auto& c : cases) EXPECT_EQ(encodeBase64(c.bytes.data(), c.bytes.size()), c.expected);
    const std::string hundred(100, 'x');
    const std::string encoded = encodeBase64(hundred.data(), hundred.size());
    EXPECT_EQ(encoded.size(), 136u);
    EXPECT_EQ(encoded.find('\n'), std::string::npos);
}

}  // namespace
