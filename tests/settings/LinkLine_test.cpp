#include "settings/LinkLine.h"

#include <gtest/gtest.h>

#include "settings/IniPath.h"
#include "support/LeadBytes.h"

namespace {

TEST(LinkLine, SplitSkipsEmptyFieldsAndRespectsDoubleByteCharacters) {
    struct Case {
        const char* name;
        std::string line;
        LeadByteTest isLeadByte;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"plain", "1|u|t|1|2|0", isSingleByte, {"1", "u", "t", "1", "2", "0"}},
        {"leading separator", "|1|u", isSingleByte, {"1", "u"}},
        {"run of separators", "1|||u||", isSingleByte, {"1", "u"}},
        {"empty", "", isSingleByte, {}},
        {"only separators", "|||", isSingleByte, {}},
        // 0x81 0x7C is one character in both code pages; its trail byte is "|".
        {"gbk trail byte", "1|a\x81\x7C" "b|c", isGbkLeadByte, {"1", "a\x81\x7C" "b", "c"}},
        {"shift-jis trail byte", "1|\x81\x7C|c", isShiftJisLeadByte, {"1", "\x81\x7C", "c"}},
        {"byte rule off", "1|\x81\x7C|c", isSingleByte, {"1", "\x81", "c"}},
        {"lead byte at end", "1|x\x81", isGbkLeadByte, {"1", "x\x81"}},
        {"lead byte before end separator", "a\x81|", isGbkLeadByte, {"a\x81|"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> actual;
        for (std::string_view field : splitLinkLine(c.line, c.isLeadByte)) actual.emplace_back(field);
        EXPECT_EQ(actual, c.expected) << c.name;
    }
}

TEST(LinkLine, DecimalFieldsReadLikeTheRuntimeConversion) {
    const struct {
        const char* text;
        int32_t expected;
    } cases[] = {
        {"0", 0}, {"42", 42}, {"-7", -7}, {"+9", 9}, {"  12", 12}, {"12abc", 12},
        {"abc", 0}, {"", 0}, {"-", 0}, {"1700000000", 1700000000},
        // "%lu" of a negative time reads back as that time.
        {"4294967295", -1}, {"2147483648", INT32_MIN},
        {"99999999999999999999", static_cast<int32_t>(1661992959u)},
    };
    for (const auto& c : cases) EXPECT_EQ(parseDecimal(c.text), c.expected) << c.text;
}

TEST(LinkLine, ParseTakesSixFieldsAndTheLegacySeventh) {
    struct Case {
        const char* name;
        std::string line;
        bool version11;
        bool accepted;
        LinkLineFields expected;
    };
    const Case cases[] = {
        {"full line", "0|http://a/|Title|2|1|1700000000", false, true,
         {0, "http://a/", "Title", 2, 1, 1700000000}},
        {"five fields", "1|http://a/|1|2|0", false, false, {}},
        {"empty url field", "1||Title|1|2|0", false, false, {}},
        {"leading separator", "|1|u|t|1|2|5", false, true, {1, "u", "t", 1, 2, 5}},
        {"seventh field under 1.1", "1|u|t|1|2|0|1", true, true, {1, "u", "t", 0, 2, 0}},
        {"seventh field under 1.2", "1|u|t|1|2|0|1", false, true, {1, "u", "t", 1, 2, 0}},
        {"seventh field 0 under 1.1", "1|u|t|2|2|0|0", true, true, {1, "u", "t", 2, 2, 0}},
        {"later fields ignored", "1|u|t|1|2|3|4|5|6", false, true, {1, "u", "t", 1, 2, 3}},
        {"time past 2038 reads unsigned", "1|u|t|1|2|4294967295", false, true, {1, "u", "t", 1, 2, 4294967295}},
    };
    for (const Case& c : cases) {
        const auto parsed = parseLinkLine(c.line, c.version11, isGbkLeadByte);
        ASSERT_EQ(parsed.has_value(), c.accepted) << c.name;
        if (!parsed) continue;
        EXPECT_EQ(parsed->enabled, c.expected.enabled) << c.name;
        EXPECT_EQ(parsed->url, c.expected.url) << c.name;
        EXPECT_EQ(parsed->title, c.expected.title) << c.name;
        EXPECT_EQ(parsed->htmlMode, c.expected.htmlMode) << c.name;
        EXPECT_EQ(parsed->senderMode, c.expected.senderMode) << c.name;
        EXPECT_EQ(parsed->lastRetrieved, c.expected.lastRetrieved) << c.name;
    }
}

TEST(LinkLine, FormatWritesTheFileNotationAndReadsBack) {
    const struct {
        LinkLineFields fields;
        const char* line;
    } cases[] = {
        {{1, "http://a/rss", "Blog", 1, 2, 0}, "1|http://a/rss|Blog|1|2|0"},
        {{0, "u", "\x92\x86\x95\xB6", 2, 0, 1700000000}, "0|u|\x92\x86\x95\xB6|2|0|1700000000"},
        {{1, "u", "t", 0, 1, 2147483648}, "1|u|t|0|1|2147483648"},
        // Times outside the field's range, which no clock gives, are written as its nearer end.
        {{1, "u", "t", 0, 1, -1}, "1|u|t|0|1|0"},
        {{1, "u", "t", 0, 1, 4294967296}, "1|u|t|0|1|4294967295"},
        // Regressions: a "|" shifted the fields, a line break lost the link.
        {{1, "http://a/?x=1|2", "A|B", 1, 2, 5}, "1|http://a/?x=1%7C2|A?B|1|2|5"},
        {{1, "http://a/\r\n", "Hello\r\nBcc: x\t\x7F", 1, 2, 5}, "1|http://a/%0D%0A|Hello  Bcc: x  |1|2|5"},
        {{1, "u", "\x81|\x81", 1, 2, 5}, "1|u|\x81|?|1|2|5"},  // a trail byte "|" stays
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatLinkLine(c.fields, isGbkLeadByte), c.line);
        const auto parsed = parseLinkLine(c.line, false, isGbkLeadByte);
        ASSERT_TRUE(parsed.has_value()) << c.line;
        EXPECT_EQ(formatLinkLine(*parsed, isGbkLeadByte), c.line);
    }
}

TEST(IniPath, ReplacesTheExtensionOfTheLibrary) {
    const struct {
        const wchar_t* module;
        const wchar_t* ini;
    } cases[] = {
        {L"C:\\Mirvel\\MvFeedwick.dll", L"C:\\Mirvel\\MvFeedwick.ini"},
        {L"C:\\Mirvel\\MvFeedwick", L"C:\\Mirvel\\MvFeedwick.ini"},
        {L"C:\\a.b\\plug.in.dll", L"C:\\a.b\\plug.in.ini"},
    };
    for (const auto& c : cases) EXPECT_EQ(iniPathForModule(c.module), c.ini);
}

}  // namespace
