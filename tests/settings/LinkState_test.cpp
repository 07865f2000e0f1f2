#include "settings/LinkState.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>

namespace {

constexpr int64_t kDay = 86400;
constexpr int64_t kNow = 1700000000;

std::vector<ItemKey> keyRange(ItemKey first, size_t count) {
    std::vector<ItemKey> keys;
    for (size_t i = 0; i < count; ++i) keys.push_back(first + i);
    return keys;
}

// Two links: one with every field and keys of three ages (more than a line holds at one
// age), one with texts that need escaping.
LinkStates richStates() {
    LinkState full;
    full.etag = "W/\"5e-abc\"";
    full.lastResult = {kNow, FetchOutcome::ParseError, 17, "第 17 行: 未闭合的标记"};
    full.failuresInARow = 3;
    full.recordDocument(keyRange(1000, 150), kNow - 30 * kDay);
    full.recordDocument(keyRange(1100, 100), kNow - kDay);
    full.recordDocument({0, UINT64_MAX, 1150}, kNow);
    LinkState odd;
    odd.etag = "\"a%09\tb\"";
    odd.lastResult = {std::numeric_limits<int64_t>::min(), FetchOutcome::NetworkError, -2147012866, "a\r\nb%"};
    odd.documentTimes[0] = std::numeric_limits<int64_t>::max();
    odd.seen = {{7, -1}};
    return {{"http://example.com/feed.xml", full},
            {"http://例子.cn/a b%20c\t|\r\n", odd},
            {"", LinkState()}};
}

// The line of the formatted text that starts with `tag`, the `index`th of them.
std::pair<size_t, size_t> lineSpan(const std::string& text, char tag, int index = 0) {
    for (size_t start = 0; start < text.size(); start = text.find('\n', start) + 1) {
        if (text[start] == tag && index-- == 0) return {start, text.find('\n', start) - start};
    }
    ADD_FAILURE() << "no line " << tag;
    return {0, 0};
}

std::string checkedLine(const std::string& body) {
    char check[16];
    std::snprintf(check, sizeof check, "\t%08lx\n",
                  crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size())));
    return body + check;
}

TEST(LinkState, ItemKeysAreFnv1aOverUtf16CodeUnits) {
    const struct {
        std::wstring text;
        ItemKey expected;
    } cases[] = {
        {L"", 0xcbf29ce484222325},
        {L"a", 0x089be207b544f1e4},
        {L"http://example.com/item/1", 0xdb53da787cf75a7c},
        {L"日本", 0x404f438b4c18884a},
        {L"\U0001F600", 0xf39a100fb654058a},  // as Windows holds it, a surrogate pair
    };
    for (const auto& c : cases) EXPECT_EQ(itemKeyOf(c.text), c.expected) << c.expected;
}

TEST(LinkState, FormattedStatesReadBack) {
    const LinkStates states = richStates();
    std::string text = formatLinkStates(states);
    EXPECT_EQ(parseLinkStates(text), states);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2)) text.insert(at, "\r");
    EXPECT_EQ(parseLinkStates(text), states) << "CR LF line ends";
}

TEST(LinkState, OnlyVersionOneReads) {
    const std::string lines = formatLinkStates(richStates()).substr(sizeof "MvFeedwick state 1" - 1);
    const struct {
        const char* firstLine;
        bool reads;
    } cases[] = {
        {"MvFeedwick state 1", true},   {"MvFeedwick state 1\r", true}, {"MvFeedwick state 2", false},
        {"MvFeedwick state 10", false}, {"MvFeedwick state", false},    {"", false},
        {"\xEF\xBB\xBFMvFeedwick state 1", false},
    };
    for (const auto& c : cases) EXPECT_EQ(parseLinkStates(c.firstLine + lines).size(), c.reads ? 3u : 0u) << c.firstLine;
    EXPECT_TRUE(parseLinkStates(lines.substr(1)).empty()) << "no version line";
}

TEST(LinkState, DamagedLineCostsThatLineAlone) {
    const LinkStates states = richStates();
    const std::string text = formatLinkStates(states);
    const std::string url = "http://example.com/feed.xml";
    struct Case {
        char tag;
        int index;
        std::function<void(LinkStates&)> loss;
    };
    const Case cases[] = {
        {'M', 0, [](LinkStates& s) { s.clear(); }},
        {'L', 0, [&](LinkStates& s) { s.erase(""); }},
        {'L', 1, [&](LinkStates& s) { s.erase(url); }},
        {'E', 0, [&](LinkStates& s) { s[url].etag.clear(); }},
        {'R', 1,
         [&](LinkStates& s) {
             s[url].lastResult = {};
             s[url].failuresInARow = 0;
         }},
        {'D', 1, [&](LinkStates& s) { s[url].documentTimes[0] = s[url].documentTimes[1] = 0; }},
        // The oldest keys, the first 64 of the 100 last seen 30 days ago.
        {'K', 0, [&](LinkStates& s) { s[url].seen.erase(s[url].seen.begin() + 1, s[url].seen.begin() + 65); }},
    };
    for (const Case& c : cases) {
        LinkStates expected = states;
        c.loss(expected);
        const auto [start, length] = lineSpan(text, c.tag, c.index);
        for (size_t at = start; at < start + length; ++at) {
            for (const char flip : {'\x01', '\x40'}) {
                std::string damaged = text;
                damaged[at] ^= flip;
                ASSERT_EQ(parseLinkStates(damaged), expected) << c.tag << c.index << " byte " << at - start;
            }
        }
    }
}

TEST(LinkState, CutFileKeepsItsWholeLines) {
    const LinkStates states = richStates();
    // The lines after the version in reverse, so that a cut can take a link's L line but
    // leave lines that name it.
    const std::string formatted = formatLinkStates(states);
    const size_t bodyStart = formatted.find('\n') + 1;
    std::string text = formatted.substr(0, bodyStart);
    for (size_t end = formatted.size(); end > bodyStart;) {
        const size_t start = formatted.rfind('\n', end - 2) + 1;
        text += formatted.substr(start, end - start);
        end = start;
    }
    ASSERT_EQ(parseLinkStates(text), states);
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        const std::string_view prefix(text.data(), cut);
        // A line cut just before its line feed is whole.
        const size_t wholeLines = text[cut] == '\n' || cut == text.size() ? cut : prefix.rfind('\n') + 1;
        ASSERT_EQ(parseLinkStates(prefix), parseLinkStates(std::string(prefix.substr(0, wholeLines)) + "\n"))
            << "cut at " << cut;
    }
}

TEST(LinkState, ReaderSkipsBadFieldsAndMergesRecords) {

    auto with = [](const std::function<void(LinkState&)>& change) {
        LinkState state;
        change(state);
        return LinkStates{{"http://a/", state}};
    };
    const LinkStates plain = with([](LinkState&) {});
    LinkStates byB;
    byB["http://b/"].etag = "x";
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        LinkStates expected;
    };
    const Case cases[] = {
        {"time past 64 bits", {"R\t1\t9223372036854775808\tread\t1\t0\t"}, plain},
        {"negative failures", {"R\t1\t5\tread\t1\t-1\t"}, plain},
        {"failures past 32 bits", {"R\t1\t5\tread\t1\t2147483648\t"}, plain},
        {"unknown outcome", {"R\t1\t5\tfine\t1\t0\t"}, plain},
        {"plus sign", {"D\t1\t+5\t0"}, plain},
        {"empty number", {"D\t1\t\t0"}, plain},
        {"field missing", {"D\t1\t5"}, plain},
        {"field too many", {"E\t1\tx\ty"}, plain},
        {"negative record", {"L\t-1\thttp://b/", "E\t-1\tx"}, plain},
        {"record never opened", {"E\t2\tx"}, plain},
        {"unknown tag", {"X\t1\tx", "EE\t1\tx"}, plain},
        {"short key", {"K\t1\t5\t00000000000000a"}, plain},
        {"upper-case key", {"K\t1\t5\t000000000000000A"}, plain},
        {"bad key loses its whole line", {"K\t1\t5\t0000000000000001\tx"}, plain},
        {"no key", {"K\t1\t5"}, plain},
        {"escapes", {"E\t1\t%25%09%0d%0A%20%2"}, with([](LinkState& s) { s.etag = "%\t\r\n%20%2"; })},
        {"lines before their record", {"K\t1\t5\t0000000000000002\t0000000000000001"},
         with([](LinkState& s) { s.seen = {{1, 5}, {2, 5}}; })},
        {"repeated key keeps its newest time", {"K\t1\t9\t0000000000000001", "K\t1\t5\t0000000000000001"},
         with([](LinkState& s) { s.seen = {{1, 9}}; })},
        {"same URL twice is one record", {"L\t2\thttp://a/", "K\t2\t5\t0000000000000002", "E\t1\tx"},
         with([](LinkState& s) {
             s.etag = "x";
             s.seen = {{2, 5}};
         })},
        {"number taken by the first URL", {"L\t1\thttp://b/", "E\t1\tx"}, byB},
    };
    for (const Case& c : cases) {
        // The lines before the L line that opens record 1 for http://a/.
        std::string text = "MvFeedwick state 1\n";
        for (const std::string& line : c.lines) text += checkedLine(line);
        text += checkedLine("L\t1\thttp://a/");
        EXPECT_EQ(parseLinkStates(text), c.expected) << c.name;
    }
}

TEST(LinkState, RecordDocumentKeepsTheLastTwoDocumentsAndTheNewestOlderKeys) {
    struct Document {
        std::vector<ItemKey> keys;
        int64_t time;
    };
    struct Case {
        const char* name;
        std::vector<Document> documents;
        size_t seenCount;
        std::vector<ItemKey> kept;
        std::vector<ItemKey> dropped;
    };
    std::vector<Document> staircase;  // 1,500 keys a second apart, ending 30 days ago
    for (ItemKey key = 0; key < 1500; ++key) staircase.push_back({{key}, kNow - 30 * kDay - 1500 + int64_t(key)});
    staircase.push_back({{9001}, kNow});
    const Case cases[] = {
        {"repeats and disorder", {{{5, 3, 5, 1, 3}, kNow}}, 3, {1, 3, 5}, {2, 4}},
        {"last two documents stay, however old and many",
         {{keyRange(0, 1500), kNow - 400 * kDay}, {keyRange(2000, 1500), kNow - 200 * kDay}}, 3000, {0, 1499, 3499}, {}},
        {"a third document lets the first go once it is 60 days old",
         {{{1}, kNow - 100 * kDay}, {{2}, kNow - kDay}, {{3}, kNow}}, 2, {2, 3}, {1}},
        {"60 days exactly stay",
         {{{1}, kNow - 60 * kDay}, {{2}, kNow - 60 * kDay + 1}, {{3}, kNow - 1}, {{4}, kNow}}, 4, {1, 2, 3, 4}, {}},
        {"60 days and a second go",
         {{{1}, kNow - 60 * kDay - 1}, {{2}, kNow - 60 * kDay}, {{3}, kNow - 1}, {{4}, kNow}}, 3, {2, 3, 4}, {1}},
        {"older keys capped, newest first", staircase, 1000 + 2, {499, 500, 1499, 9001}, {0, 498}},
        {"cap holds when older keys tie",
         {{keyRange(0, 1500), kNow - 2 * kDay}, {{9001}, kNow - kDay}, {{9002}, kNow}}, 1000 + 2, {9001, 9002}, {}},
        {"document seen again is new again",
         {{{1, 2}, kNow - 100 * kDay}, {{3}, kNow - 90 * kDay}, {{1}, kNow - 80 * kDay}, {{4}, kNow}}, 2, {1, 4}, {2, 3}},
        {"clock gone back keeps both documents",
         {{keyRange(0, 1500), kNow}, {keyRange(2000, 1500), kNow - 90 * kDay}}, 3000, {0, 1499, 3499}, {}},
    };
    for (const Case& c : cases) {
        LinkState state;
        for (const Document& document : c.documents) state.recordDocument(document.keys, document.time);
        EXPECT_EQ(state.seen.size(), c.seenCount) << c.name;
        EXPECT_TRUE(std::is_sorted(state.seen.begin(), state.seen.end(),
                                   [](const SeenItem& a, const SeenItem& b) { return a.key <= b.key; }))
            << c.name;
        for (const ItemKey key : c.kept) EXPECT_TRUE(state.hasSeen(key)) << c.name << " key " << key;
        for (const ItemKey key : c.dropped) EXPECT_FALSE(state.hasSeen(key)) << c.name << " key " << key;
        EXPECT_EQ(state.documentTimes[0], c.documents.back().time) << c.name;
    }
}

}  // namespace
