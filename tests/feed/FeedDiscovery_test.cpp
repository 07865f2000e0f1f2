#include "feed/FeedDiscovery.h"

#include <gtest/gtest.h>

namespace {

constexpr wchar_t kPageUrl[] = L"http://example.com/blog/index.html";

std::wstring feedLink(const std::wstring& attributes) { return L"<link " + attributes + L">"; }
const std::wstring kRss = L"type=\"application/rss+xml\" rel=\"alternate\" ";

TEST(FeedDiscovery, FindsTheFirstFeedLinkOfTheHead) {
    const struct {
        const char* name;
        std::wstring page, expected;
    } cases[] = {
        {"RSS", L"<html><head>" + feedLink(kRss + L"href=\"/feed.xml\"") + L"</head>", L"http://example.com/feed.xml"},
        {"Atom, relative", feedLink(L"rel=alternate type=application/atom+xml href=atom.xml"),
         L"http://example.com/blog/atom.xml"},
        {"RDF, absolute", feedLink(L"rel=alternate type=application/rdf+xml href=http://other.test/r.rdf"),
         L"http://other.test/r.rdf"},
        {"rel among other tokens, any case", feedLink(L"rel=\"home\tALTERNATE\" type=application/rss+xml href=/a"),
         L"http://example.com/a"},
        {"rel without the token", feedLink(L"rel=\"alternates alternate-x\" type=application/rss+xml href=/a"), L""},
        {"no rel", feedLink(L"type=application/rss+xml href=/a"), L""},
        {"type with a parameter, any case",
         feedLink(L"rel=alternate type=\" Application/RSS+XML ; charset=utf-8\" href=/a"), L"http://example.com/a"},
        {"type of no feed", feedLink(L"rel=alternate type=text/html href=/a") +
                                feedLink(L"rel=alternate type=application/rss+xml2 href=/b"),
         L""},
        {"no type", feedLink(L"rel=alternate href=/a"), L""},
        {"single quotes, '>' inside", feedLink(L"title='a>b' rel='alternate' type='application/rss+xml' href='/q'"),
         L"http://example.com/q"},
        {"spaces around '=', self-closing", L"<LINK REL = alternate TYPE = application/rss+xml HREF = /u />",
         L"http://example.com/u"},
        {"character references", feedLink(kRss + L"href=\" /f?a=1&amp;b=2&#38;c&#x3D;3&bogus;&#4294967361; \""),
         L"http://example.com/f?a=1&b=2&c=3&bogus;\uFFFD"},
        {"the first of several", feedLink(L"rel=alternate type=text/html href=/en") + feedLink(kRss + L"href=/1") +
                                     feedLink(kRss + L"href=/2"),
         L"http://example.com/1"},
        {"the first of an attribute", feedLink(kRss + L"href=/1 href=/2 rel=stylesheet"), L"http://example.com/1"},
        {"an empty href names nothing", feedLink(kRss + L"href=\" \"") + feedLink(kRss + L"href=/2"),
         L"http://example.com/2"},
        {"links in the body", L"<head></head><body>" + feedLink(kRss + L"href=/b"), L""},
        {"links after <body without </head>", L"<head><body class=x>" + feedLink(kRss + L"href=/b"), L""},
        {"comment", L"<!-- " + feedLink(kRss + L"href=/c") + L" </head> -->" + feedLink(kRss + L"href=/d"),
         L"http://example.com/d"},
        {"short comments", L"<!-->" + feedLink(kRss + L"href=/d") + L"<!--->" + feedLink(kRss + L"href=/e") + L"-->",
         L"http://example.com/d"},
        {"script, style, title",
         L"<script>w('" + feedLink(kRss + L"href=/s") + L"</head>')</script ><style>" + feedLink(kRss + L"href=/t") +
             L"</style><title>" + feedLink(kRss + L"href=/u") + L"</title>" + feedLink(kRss + L"href=/v"),
         L"http://example.com/v"},
        {"base", L"<base href=\"http://cdn.test/x/\">" + feedLink(kRss + L"href=f.xml"), L"http://cdn.test/x/f.xml"},
        {"relative base after the link", feedLink(kRss + L"href=f.xml") + L"<base target=_top><base href=/x/>",
         L"http://example.com/x/f.xml"},
        {"head without feed links", L"<head><link rel=stylesheet href=/s.css><meta charset=utf-8></head>", L""},
        {"cut after a whole link", L"<head>" + feedLink(kRss + L"href=/w"), L"http://example.com/w"},
        {"cut inside a link", L"<head><link " + kRss + L"href=/w", L""},
        {"cut inside a quoted href", L"<head><link " + kRss + L"href=\"/w>", L""},
        {"cut inside a comment", L"<head><!-- " + feedLink(kRss + L"href=/w"), L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindFeedUrl(c.page, kPageUrl), c.expected) << c.name;
    }
}

TEST(FeedDiscovery, HtmlPagesByTypeOrStart) {
    const struct {
        std::wstring contentType;
        std::string body;
        bool html;
    } cases[] = {
        {L"text/html", "", true},
        {L"Text/HTML; charset=Shift_JIS", "<?xml version=\"1.0\"?><rss/>", true},
        {L"application/xhtml+xml", "", true},
        {L"text/plain", "<html>", false},
        {L"application/rss+xml", "<!DOCTYPE html>", false},
        {L"", "<!doctype HTML><p>", true},
        {L"", "\xEF\xBB\xBF\r\n  <HTML lang=en>", true},
        {L" ", "<html>", true},
        {L"", "<?xml version=\"1.0\"?><html>", false},
        {L"", "<!DOCTYPE rss>", false},
        {L"", "", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsHtmlPage(c.contentType, c.body), c.html) << c.body;
    }
}

}  // namespace
