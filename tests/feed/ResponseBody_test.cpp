#include "feed/ResponseBody.h"

#include <gtest/gtest.h>

#include "common/TextConversion.h"
#include "support/TestFiles.h"

namespace {

std::string feedFile(const std::string& name) { return readFile(testDataPath("feeds/" + name)); }

// The Japanese test feed as it reads when decoded right: its UTF-8 original, whose
// declaration names the encoding the other copies were written in.
std::wstring japaneseFeed(const std::string& declaredEncoding) {
    std::wstring text = toWide(feedFile("japanese.utf8.xml"), CP_UTF8);
    const std::wstring utf8 = L"\"UTF-8\"";
    if (declaredEncoding.empty()) return text.substr(text.find(L'\n') + 1);
    return text.replace(text.find(utf8), utf8.size(), L"\"" + toWide(declaredEncoding, CP_UTF8) + L"\"");
}

TEST(ResponseBody, DeclarationThenContentTypeThenUtf8) {
    const std::string eucJp = "\xc6\xfc\xcb\xdc";  // 日本 in EUC-JP
    const std::string padding(2100, ' ');
    const struct {
        const char* name;
        std::string body;
        std::wstring contentType;
        UINT expectedCodePage;
    } cases[] = {
        {"declaration beats the header", "<?xml version=\"1.0\" encoding=\"EUC-JP\"?><a>" + eucJp + "</a>",
         L"text/xml; charset=UTF-8", 20932},
        {"declaration in capitals", "<?XML VERSION=\"1.0\" ENCODING=\"EUC-JP\"?><a>" + eucJp + "</a>", L"", 20932},
        {"Shift_JIS declared", "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><a>\x93\xfa\x96\x7b</a>", L"", 932},
        {"Shift_JIS from the header", "<a>\x95\x5c\x8e\xa6</a>", L"text/xml; charset=Shift_JIS", 932},
        {"EUC-JP from the header", "<a>" + eucJp + "</a>", L"text/html; charset=euc-jp", 20932},
        {"ISO-8859-1 is read as windows-1252", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>caf\xe9 \x93x\x94</a>",
         L"text/xml; charset=UTF-8", 1252},
        {"GBK from the header", "<a>\xd6\xd0\xce\xc4</a>", L"text/xml; charset=GB2312", 936},
        {"unknown declared name falls back to the header",
         "<?xml version=\"1.0\" encoding=\"x-foo\"?><a>\xc4\xe3</a>", L"text/xml; charset=GBK", 936},
        {"no charset anywhere", "<a>\xe6\x97\xa5</a>", L"text/xml", 65001},
        {"declaration past the head is not seen", "<a>" + padding + "encoding=euc-jp</a>",
         L"text/xml; charset=Shift_JIS", 932},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeResponseBody(c.body, c.contentType), toWide(c.body, c.expectedCodePage)) << c.name;
    }
}

// Shift_JIS needs code page 932 whatever the ANSI code page is: on a Chinese system the
// ANSI code page turns every Shift_JIS feed into nonsense.
TEST(ResponseBody, JapaneseFeedsReadTheSameUnderAnyCodePage) {
    const struct {
        const char* file;
        std::wstring contentType;
        std::string declaredEncoding;
    } cases[] = {
        {"japanese.utf8.xml", L"", "UTF-8"},
        {"japanese.undeclared.utf8.xml", L"", ""},
        {"japanese.euc-jp.xml", L"text/xml; charset=UTF-8", "EUC-JP"},
        {"japanese.shift_jis.xml", L"", "Shift_JIS"},
        {"japanese.undeclared.shift_jis.xml", L"application/rss+xml; charset=Shift_JIS", ""},
    };
    for (const auto& c : cases) {
        const std::string body = feedFile(c.file);
        ASSERT_FALSE(body.empty()) << c.file;
        EXPECT_EQ(DecodeResponseBody(body, c.contentType), japaneseFeed(c.declaredEncoding)) << c.file;
    }
}

TEST(ResponseBody, TextEndsAtTheFirstNul) {
    const struct {
        std::string body;
        std::wstring expected;
    } cases[] = {
        {std::string("<a>b</a>\0<c/>", 13), L"<a>b</a>"},
        {std::string("\xff\xfe<\0a\0/\0>\0", 10), L"\xfffd\xfffd<"},  // UTF-16 reads as its first byte
        {"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeResponseBody(c.body, L""), c.expected);
}

TEST(ResponseBody, HeadIsTheFirst2047BytesUpToNul) {
    const struct {
        std::string body;
        size_t expectedLength;
    } cases[] = {
        {std::string(3000, 'a'), 2047},
        {std::string(2047, 'a'), 2047},
        {std::string("ab\0cd", 5), 2},
        {"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(ResponseHead(c.body).size(), c.expectedLength) << c.body.size();
}

}  // namespace
