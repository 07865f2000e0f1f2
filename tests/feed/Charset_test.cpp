#include "feed/Charset.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr size_t kNone = std::wstring_view::npos;

TEST(Charset, ContainsNoCase) {
    const struct {
        std::wstring_view text, word;
        size_t expected;
    } cases[] = {
        {L"abcENCODING", L"encoding", 3},
        {L"Charset=x charset=y", L"CHARSET", 0},
        {L"ab", L"abc", kNone},
        {L"", L"x", kNone},
        {L"abc", L"", 0},
        {L"\u00dctf", L"\u00fctf", kNone},  // only ASCII letters fold
    };
    for (const auto& c : cases) EXPECT_EQ(ContainsNoCase(c.text, c.word), c.expected) << std::wstring(c.text);
}

TEST(Charset, XmlEncodingOfTheHead) {
    const std::wstring beyondTheValue = L"<?xml encoding=\"" + std::wstring(70, L' ') + L"EUC-JP\"?>";
    const std::wstring justInside = L"<?xml encoding=\"" + std::wstring(58, L' ') + L"EUC-JP\"?>";
    const struct {
        std::wstring head;
        CharsetKind expected;
    } cases[] = {
        {L"<?xml version=\"1.0\" encoding=\"EUC-JP\"?><rss>", CharsetKind::EucJp},
        {L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", CharsetKind::Utf8},
        {L"<?XML VERSION=\"1.0\" ENCODING=\"UTF-8\"?>", CharsetKind::Utf8},
        {L"<?xml version='1.0' encoding='Shift_JIS'?>", CharsetKind::Jis},
        {L"<?xml version=\"1.0\" encoding=\"x-sjis\"?>", CharsetKind::Jis},
        {L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>", CharsetKind::Utf8},
        {L"<?xml version=\"1.0\" encoding=\"utf-jis\"?>", CharsetKind::Utf8},
        {L"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", CharsetKind::None},
        {L"<?xml version=\"1.0\" encoding=\"ISO-2022-JP\"?>", CharsetKind::None},
        {L"<?xml version=\"1.0\" encoding=\"GB2312\"?>", CharsetKind::None},
        {L"<?xml version=\"1.0\"?><rss version=\"2.0\"/>", CharsetKind::None},
        {L"<?xml version=\"1.0\"?><p>encoding: euc</p>", CharsetKind::EucJp},
        {L"<?xml encoding=\"utf-8\"?><p>encoding=\"euc\"</p>", CharsetKind::Utf8},
        {L"encoding=x\neuc-jp", CharsetKind::None},
        {L"encoding=euc-jp", CharsetKind::EucJp},
        {beyondTheValue, CharsetKind::None},
        {justInside, CharsetKind::EucJp},
        {L"", CharsetKind::None},
    };
    for (const auto& c : cases) EXPECT_EQ(DetectXmlEncoding(c.head), c.expected) << c.head;
}

TEST(Charset, CharsetParameter) {
    const struct {
        std::wstring_view text;
        CharsetKind expected;
    } cases[] = {
        {L"text/xml; charset=Shift_JIS", CharsetKind::Jis},
        {L"text/html; Charset=EUC-JP", CharsetKind::EucJp},
        {L"text/xml; charset=\"utf-8\"", CharsetKind::Utf8},
        {L"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=shift_jis\">", CharsetKind::Jis},
        {L"application/rss+xml; charset=windows-1252", CharsetKind::None},
        {L"text/xml; encoding=euc-jp", CharsetKind::None},
        {L"text/xml", CharsetKind::None},
        {L"", CharsetKind::None},
    };
    for (const auto& c : cases) EXPECT_EQ(DetectCharsetParam(c.text), c.expected) << std::wstring(c.text);
}

TEST(Charset, CodePageOfEachKind) {
    const struct {
        CharsetKind kind;
        uint32_t expected;
    } cases[] = {
        {CharsetKind::None, 65001},
        {CharsetKind::Utf8, 65001},
        {CharsetKind::EucJp, 20932},
        {CharsetKind::Jis, 932},  // not the ANSI code page, which garbles Shift_JIS on other systems
    };
    for (const auto& c : cases) EXPECT_EQ(CodePageOf(c.kind), c.expected) << static_cast<int>(c.kind);
}

}  // namespace
