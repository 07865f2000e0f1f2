#include "feed/Charset.h"

#include <gtest/gtest.h>

#include <string>

#include "feed/CharsetNames.h"

namespace {

constexpr size_t kNone = std::wstring_view::npos;

std::string described(const std::optional<Charset>& charset) {
    return charset ? std::to_string(charset->codePage) + " " + std::string(charset->name) : "none";
}

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
    const std::wstring nameCut = L"<?xml encoding=\"" + std::wstring(52, L' ') + L"windows-1252\"?>";
    const struct {
        std::wstring head;
        const char* expected;
    } cases[] = {
        {L"<?xml version=\"1.0\" encoding=\"EUC-JP\"?><rss>", "20932 EUC-JP"},
        {L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "65001 UTF-8"},
        {L"<?XML VERSION=\"1.0\" ENCODING=\"UTF-8\"?>", "65001 UTF-8"},
        {L"<?xml version='1.0' encoding='Shift_JIS'?>", "932 Shift_JIS"},
        {L"<?xml version=\"1.0\" encoding=\"x-sjis\"?>", "932 Shift_JIS"},
        {L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>", "65001 UTF-8"},
        {L"<?xml version=\"1.0\" encoding=\"utf-jis\"?>", "65001 UTF-8"},
        {L"<?xml version=\"1.0\" encoding=\"EUC-TW\"?>", "20932 EUC-JP"},
        {L"<?xml version=\"1.0\" encoding=\"EUC-KR\"?>", "949 EUC-KR"},
        {L"<?xml version=\"1.0\" encoding='csEUCKR'?>", "949 EUC-KR"},
        {L"<?xml version=\"1.0\" encoding=\"euc-cn\"?>", "936 GBK"},
        {L"<?xml version=\"1.0\" encoding=\"GB2312\"?>", "936 GBK"},
        {L"<?xml version=\"1.0\" encoding = \"big5\" standalone=\"yes\"?>", "950 Big5"},
        {L"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "1252 windows-1252"},
        {L"<?xml version=\"1.0\" encoding=KOI8-R?>", "20866 KOI8-R"},
        {L"<?xml version=\"1.0\" encoding=\"ISO-2022-JP\"?>", "none"},
        {L"<?xml version=\"1.0\" encoding=\"US-ASCII\"?>", "none"},
        {L"<?xml version=\"1.0\"?><rss version=\"2.0\"/>", "none"},
        {L"<?xml version=\"1.0\"?><p>encoding: euc</p>", "20932 EUC-JP"},
        {L"<?xml encoding=\"utf-8\"?><p>encoding=\"euc\"</p>", "65001 UTF-8"},
        {L"encoding=x\neuc-jp", "none"},
        {L"encoding=euc-jp", "20932 EUC-JP"},
        {beyondTheValue, "none"},
        {justInside, "20932 EUC-JP"},
        {nameCut, "none"},
        {L"", "none"},
    };
    for (const auto& c : cases) EXPECT_EQ(described(DetectXmlEncoding(c.head)), c.expected) << c.head;
}

TEST(Charset, CharsetParameter) {
    const struct {
        std::wstring_view text;
        const char* expected;
    } cases[] = {
        {L"text/xml; charset=Shift_JIS", "932 Shift_JIS"},
        {L"text/html; Charset=EUC-JP", "20932 EUC-JP"},
        {L"text/xml; charset=\"utf-8\"", "65001 UTF-8"},
        {L"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=shift_jis\">", "932 Shift_JIS"},
        {L"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\" />", "936 GBK"},
        {L"<meta charset=GBK/>", "936 GBK"},
        {L"text/html; charset=ks_c_5601-1987", "949 EUC-KR"},
        {L"application/rss+xml; charset=windows-1252", "1252 windows-1252"},
        {L"text/xml; charset=gb18030;format=flowed", "936 GB18030"},
        {L"text/xml; charset=gbk; x=utf", "65001 UTF-8"},  // the family letters decide first, as before
        {L"text/xml; charset=x-unknown", "none"},
        {L"text/xml; encoding=euc-jp", "none"},
        {L"text/xml", "none"},
        {L"", "none"},
    };
    for (const auto& c : cases) EXPECT_EQ(described(DetectCharsetParam(c.text)), c.expected) << std::wstring(c.text);
}

TEST(Charset, NamesAndAliases) {
    const struct {
        std::wstring_view name;
        const char* expected;
    } cases[] = {
        {L"gbk", "936 GBK"},
        {L"X-GBK", "936 GBK"},
        {L"Big5-HKSCS", "950 Big5"},
        {L"ISO-8859-2", "28592 ISO-8859-2"},
        {L"latin5", "1254 windows-1254"},
        {L"TIS-620", "874 windows-874"},
        {L"KOI8-U", "21866 KOI8-U"},
        {L"Windows-31J", "932 Shift_JIS"},
        {L"iso-8859-8-i", "28598 ISO-8859-8-I"},
        {L"ISO-8859-16", "none"},  // Windows has no code page for it
        {L"gbk2", "none"},
        {L"gb", "none"},
        {L"\u0130so-8859-1", "none"},  // only ASCII letters fold
        {L"", "none"},
    };
    for (const auto& c : cases) EXPECT_EQ(described(FindCharset(c.name)), c.expected) << std::wstring(c.name);
}

// A name listed twice, or not in lower case, would not find its own entry.
TEST(Charset, EveryNameFindsItsEntryInAnyCase) {
    for (const CharsetName& entry : kCharsetNames) {
        std::wstring upper(entry.name.begin(), entry.name.end());
        for (wchar_t& c : upper) c = (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
        EXPECT_EQ(described(FindCharset(upper)), described(entry.charset)) << upper;
    }
}

}  // namespace
