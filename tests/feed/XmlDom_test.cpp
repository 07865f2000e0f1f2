#include "feed/XmlDom.h"

#include <gtest/gtest.h>

#include <regex>

#include "common/ComHolders.h"
#include "feed/FeedFetcher.h"

namespace {

// Wine's parser words its reasons differently from Windows', so only the frame is checked.
const std::wregex kLoadError(L"XML読み込みエラー\\([\\s\\S]*\\)\\(行:[0-9]+\\)");

class XmlDom : public ::testing::Test {
protected:
    XmlDocument load(const std::wstring& text) {
        XmlLoadError error;
        XmlDocument document = LoadXmlDocument(text, error);
        EXPECT_TRUE(document) << XmlLoadErrorText(error);
        return document;
    }
    ComInitialization com;
};

TEST_F(XmlDom, LoadsWellFormedTextAndReportsTheRest) {
    const struct {
        const char* name;
        std::wstring text;
        bool loads;
    } cases[] = {
        {"plain", L"<rss version=\"2.0\"><channel/></rss>", true},
        {"EUC-JP declared", L"<?xml version=\"1.0\" encoding=\"EUC-JP\"?><rss>\u65e5\u672c</rss>", true},
        {"Shift_JIS declared", L"<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><rss/>", true},
        {"UTF-16 declared", L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><rss/>", true},
        {"byte order mark", L"\xfeff<?xml version=\"1.0\"?><rss/>", true},
        {"external DTD is not fetched",
         L"<!DOCTYPE rss PUBLIC \"-//Netscape Communications//DTD RSS 0.91//EN\" "
         L"\"http://127.0.0.1:9/rss-0.91.dtd\"><rss version=\"0.91\"/>",
         true},
        {"empty", L"", false},
        {"unclosed element", L"<rss>\n<channel>\n<title>x</title>\n</chanel></rss>", false},
        {"HTML page", L"<html><body><p>Not Found<br></p></body></html>", false},
        {"HTML entity and bare ampersand", L"<rss>a&nbsp;b & c</rss>", true},
        {"undeclared entity", L"<!DOCTYPE rss [<!ENTITY own \"x\">]><rss>&bogus;</rss>", false},
        {"too many bare ampersands to repair", L"<rss>" + std::wstring(8000, L'&') + L"</rss>", false},
        {"two roots", L"<rss/><rss/>", false},
    };
    for (const auto& c : cases) {
        XmlLoadError error{L"before", -1};
        const XmlDocument document = LoadXmlDocument(c.text, error);
        EXPECT_EQ(static_cast<bool>(document), c.loads) << c.name;
        if (c.loads) {
            EXPECT_EQ(error.reason, L"before") << c.name;
        } else {
            EXPECT_TRUE(std::regex_match(XmlLoadErrorText(error), kLoadError)) << c.name;
        }
    }
}

// The text reaches the parser as UTF-8 bytes; nothing of it may be lost or read in another
// encoding on the way.
TEST_F(XmlDom, TextReadsBackAsItWasGiven) {
    const std::wstring japanese = L"\u65e5\u672c\u8a9e";
    const struct {
        const char* name;
        std::wstring text, expected;
    } cases[] = {
        {"Japanese", L"<a>" + japanese + L"</a>", japanese},
        {"beyond the basic plane", L"<a>\xd83d\xde00\u00e9</a>", L"\xd83d\xde00\u00e9"},
        {"Shift_JIS declared is not applied", L"<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><a>" + japanese + L"</a>",
         japanese},
        {"byte order mark and declaration", L"\xfeff<?xml version=\"1.0\" encoding=\"EUC-JP\"?><a>" + japanese + L"</a>",
         japanese},
        {"ends at the first NUL", std::wstring(L"<a>b</a>\0<c", 11), L"b"},
    };
    for (const auto& c : cases) {
        const XmlDocument document = load(c.text);
        ASSERT_TRUE(document) << c.name;
        ScopedBstr text;
        ASSERT_EQ(RootElement(document.Get())->get_text(text.put()), S_OK) << c.name;
        EXPECT_EQ(bstrText(text.get()), c.expected) << c.name;
    }
}

// Handed over as UTF-16, a document past 10 MB failed to load under Wine ("Huge input
// lookup") when a long run of white space came after its first 10 MB: the parser converted
// the text piecewise and kept all of it in its buffer.
TEST_F(XmlDom, LargeFeedLoadsWhole) {
    std::wstring paragraphs;
    for (int i = 0; i < 20; ++i) {
        paragraphs += L"&lt;p&gt;A paragraph of the item, with ordinary words in it and a little markup.&lt;/p&gt; ";
    }
    const size_t sizes[] = {1u << 20, 15u << 20};
    for (const size_t size : sizes) {
        std::wstring text = L"<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>Large</title>";
        size_t items = 0;
        for (; text.size() < size; ++items) {
            const std::wstring n = std::to_wstring(items);
            text += L"<item><title>Item " + n + L"</title><link>http://example.com/" + n + L"</link>"
                    L"<pubDate>Tue, 14 Nov 2023 10:00:00 +0000</pubDate><description>" + paragraphs +
                    L"</description></item>";
        }
        text += std::wstring(4000, L' ') + L"</channel></rss>\n";
        const XmlDocument document = load(text);
        ASSERT_TRUE(document) << size;
        size_t read = 0;
        ForEachChildElement(FindChild(RootElement(document.Get()).Get(), L"channel").Get(),
                            [&](IXMLDOMElement*, const std::wstring&) { ++read; });
        EXPECT_EQ(read, items + 1) << size;  // the title too
    }
}

TEST_F(XmlDom, ChildrenByExactTagName) {
    const XmlDocument document = load(
        L"<item xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><!-- note -->text"
        L"<title>  First  </title><title>Second</title>"
        L"<link>\n    http://example.com/a\n  </link>"
        L"<dc:creator>Alice</dc:creator><creator>Bob</creator>"
        L"<description><![CDATA[<p>x</p>]]></description>"
        L"<mixed>a &amp; <b>b</b> c</mixed><empty/><Title>upper</Title></item>");
    ASSERT_TRUE(document);
    const XmlElement item = RootElement(document.Get());
    const struct {
        std::wstring name, expected;
    } cases[] = {
        {L"title", L"First"},
        {L"link", L"http://example.com/a"},
        {L"dc:creator", L"Alice"},
        {L"creator", L"Bob"},
        {L"description", L"<p>x</p>"},
        {L"mixed", L"a & b c"},
        {L"Title", L"upper"},
        {L"empty", L""},
        {L"missing", L""},
        {L"#comment", L""},
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(ChildText(item.Get(), c.name), c.expected) << c.name;
    EXPECT_FALSE(FindChild(item.Get(), L"missing"));
    EXPECT_FALSE(FindChild(nullptr, L"title"));
    EXPECT_EQ(ChildText(nullptr, L"title"), L"");

    std::wstring tagNames;
    ForEachChildElement(item.Get(), [&](IXMLDOMElement*, const std::wstring& tagName) { tagNames += tagName + L" "; });
    EXPECT_EQ(tagNames, L"title title link dc:creator creator description mixed empty Title ");
}

TEST_F(XmlDom, FeedKindByRootElement) {
    const struct {
        std::wstring text;
        FeedKind expected;
    } cases[] = {
        {L"<rss version=\"2.0\"/>", FeedKind::Rss2},
        {L"<rss version=\"0.92\"/>", FeedKind::Rss2},
        {L"<rss version=\"0.91\"/>", FeedKind::Rss},
        {L"<rss/>", FeedKind::Rss},
        {L"<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"/>", FeedKind::Rdf},
        {L"<RDF/>", FeedKind::None},
        {L"<RSS version=\"2.0\"/>", FeedKind::None},
        {L"<feed xmlns=\"http://www.w3.org/2005/Atom\"/>", FeedKind::Atom},
        {L"<atom:feed xmlns:atom=\"http://www.w3.org/2005/Atom\"/>", FeedKind::Atom},
        {L"<feed xmlns=\"http://www.w3.org/2005/Atom/\"/>", FeedKind::None},
        {L"<feed xmlns=\"http://purl.org/atom/ns#\"/>", FeedKind::None},
        {L"<feed/>", FeedKind::None},
        {L"<Feed xmlns=\"http://www.w3.org/2005/Atom\"/>", FeedKind::None},
        {L"<html><body/></html>", FeedKind::None},
        {L"<opml version=\"2.0\"/>", FeedKind::None},
    };
    for (const auto& c : cases) {
        const XmlDocument document = load(c.text);
        ASSERT_TRUE(document);
        EXPECT_EQ(DetectFeedKind(RootElement(document.Get()).Get()), c.expected)
            << c.text;
    }
    EXPECT_EQ(DetectFeedKind(nullptr), FeedKind::None);
}

}  // namespace
