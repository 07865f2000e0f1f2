#include "common/CharacterBoundary.h"

#include <gtest/gtest.h>

#include <string>

#include "support/LeadBytes.h"

namespace {

TEST(CharacterBoundary, KeepsWholeCharactersWithinTheLimit) {
    const struct {
        const char* name;
        std::string bytes;
        size_t limit;
        size_t expected;
    } cases[] = {
        {"short", "abc", 254, 3},
        {"long", std::string(300, 'a'), 254, 254},
        {"double-byte character across the limit", "a\x81\x40", 2, 1},
        {"double-byte character up to the limit", "a\x81\x40", 3, 3},
        {"lead byte without trail byte", "ab\x81", 3, 3},
        {"254 bytes of double-byte characters", std::string(300, '\x81'), 254, 254},
        {"odd limit in double-byte characters", std::string(300, '\x81'), 253, 252},
    };
    for (const auto& c : cases) EXPECT_EQ(wholeCharacterPrefix(c.bytes, c.limit, isGbkLeadByte), c.expected) << c.name;
}

}  // namespace
