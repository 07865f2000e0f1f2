#include "feed/OpmlImport.h"

#include <gtest/gtest.h>

#include <regex>
#include <vector>

#include "settings/Settings.h"
#include "support/TestServer.h"

namespace {

const std::wregex kLoadError(L"XML読み込みエラー\\([\\s\\S]*\\)\\(行:[0-9]+\\)");

// A flat list; one outline names a web page, not a feed.
constexpr char kFlat[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<opml version="1.0">
  <head><title>Subscriptions</title><dateCreated>Mon, 01 Jan 2024 00:00:00 GMT</dateCreated></head>
  <body>
    <outline text="First" title="First" type="rss" xmlUrl="http://a.example/1.xml" htmlUrl="http://a.example/"/>
    <outline text="A page" type="link" url="http://b.example/"/>
    <outline text="中文博客" type="rss" xmlUrl="http://c.example/2.xml"/>
    <outline text="Third" type="rss" xmlUrl="http://d.example/3.xml"/>
  </body>
</opml>
)";

constexpr char kFolders[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<opml version="2.0">
  <head><title>Feeds</title></head>
  <body>
    <outline text="Tech" title="Tech">
      <outline type="rss" text="A" xmlUrl="http://x.example/a"/>
      <outline text="Deeper" xmlUrl="">
        <outline type="rss" text="B" xmlUrl="http://x.example/b"/>
      </outline>
      <outline type="rss" text="C" xmlUrl="http://x.example/c"/>
    </outline>
    <outline type="rss" text="D" xmlUrl="http://x.example/d">
      <outline type="rss" text="E" xmlUrl="http://x.example/e"/>
    </outline>
    <note><outline text="not an outline's child" xmlUrl="http://x.example/n"/></note>
  </body>
</opml>
)";

constexpr char kDuplicates[] = R"(<opml version="1.1"><body>
  <outline text="Already" xmlUrl="http://old.example/feed"/>
  <outline text="New" xmlUrl="http://new.example/feed"/>
  <outline text="Folder"><outline text="Again" xmlUrl="http://new.example/feed"/></outline>
  <outline text="Other case" xmlUrl="http://new.example/Feed"/>
</body></opml>)";

constexpr char kOddFields[] = R"(<opml version="1.0"><body>
  <outline text="A|B" xmlUrl="http://p.example/1"/>
  <outline text="bar in url" xmlUrl="http://p.example/?a|b"/>
  <outline text="" xmlUrl="http://p.example/2"/>
  <outline xmlUrl="http://p.example/3"/>
</body></opml>)";

constexpr char kApacheNotFound[] = R"(<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML 2.0//EN">
<html><head>
<title>404 Not Found</title>
</head><body>
<h1>Not Found</h1>
<p>The requested URL was not found on this server.</p>
<hr>
<address>Apache/2.4.57 (Debian) Server at example.com Port 80</address>
</body></html>
)";

class OpmlImport : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server = new TestServer;
        server->writeFile("flat.opml", kFlat);
        server->writeFile("folders.opml", kFolders);
        server->writeFile("duplicates.opml", kDuplicates);
        server->writeFile("odd.opml", kOddFields);
        server->writeFile("html.opml", "<opml><body><outline text=\"Q&A\" xmlUrl=\"http://q.example/?a=1&b=2\"/>"
                                       "<outline text=\"Caf&eacute;\" xmlUrl=\"http://q.example/cafe\"/></body></opml>");
        server->writeFile("long.opml", "<opml><body><outline text=\"" + std::string(1100, 't') +
                                           "\" xmlUrl=\"http://l.example/1\"/><outline text=\"short\" "
                                           "xmlUrl=\"http://l.example/2\"/></body></opml>");
        server->writeFile("rss.xml", "<rss version=\"2.0\"><channel><title>t</title></channel></rss>");
        server->writeFile("broken.opml", "<opml><body><outline text=\"x\" xmlUrl=\"http://x/\"></body>");
        server->writeFile("upper.opml", "<OPML><body><outline text=\"U\" xmlUrl=\"http://u.example/\"/></body></OPML>");
        server->writeFile("list.xml", "<x-opml-list><body><outline text=\"L\" xmlUrl=\"http://y.example/\"/></body>"
                                      "</x-opml-list>");
        server->writeFile("nobody.opml", "<opml version=\"2.0\"><head><title>empty</title></head></opml>");
        server->writeFile("404.html", kApacheNotFound);
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override { pluginSettings = PluginSettings{}; }

    static TestServer* server;
};

TestServer* OpmlImport::server = nullptr;

TEST_F(OpmlImport, AppendsTheNewFeedsOfAnOpmlDocument) {
    const struct {
        const char* name;
        const char* pathAndQuery;  // null: nothing listening
        bool result;
        std::vector<std::wstring> appended;  // "url title"
        bool explained;
    } cases[] = {
        {"flat, one outline without a feed", "/flat.opml", true,
         {L"http://a.example/1.xml First", L"http://c.example/2.xml 中文博客", L"http://d.example/3.xml Third"}, false},
        {"folders, parents before children", "/folders.opml", true,
         {L"http://x.example/a A", L"http://x.example/b B", L"http://x.example/c C", L"http://x.example/d D",
          L"http://x.example/e E"},
         false},
        {"subscribed or doubled", "/duplicates.opml", true,
         {L"http://new.example/feed New", L"http://new.example/Feed Other case"}, false},
        {"bars, empty and missing text", "/odd.opml", true,
         {L"http://p.example/1 A?B", L"http://p.example/2 (無題)", L"http://p.example/3 (無題)"}, false},
        {"HTML entity and bare ampersands", "/html.opml", true,
         {L"http://q.example/?a=1&b=2 Q&A", L"http://q.example/cafe Caf\u00e9"}, false},
        {"line too long for the file", "/long.opml", true, {L"http://l.example/2 short"}, false},
        {"status not examined", "/flat.opml?status=500", true,
         {L"http://a.example/1.xml First", L"http://c.example/2.xml 中文博客", L"http://d.example/3.xml Third"}, false},
        {"root containing opml", "/list.xml", true, {L"http://y.example/ L"}, false},
        {"no body", "/nobody.opml", true, {}, false},
        {"feed", "/rss.xml", false, {}, false},
        {"root in capitals", "/upper.opml", false, {}, false},
        {"not well-formed", "/broken.opml", false, {}, true},
        {"HTML error page", "/404.html?status=404&type=text%2Fhtml", false, {}, true},
        {"nothing listening", nullptr, false, {}, false},
    };
    for (const auto& c : cases) {
        LinkEntry subscribed;
        subscribed.url = L"http://old.example/feed";
        subscribed.title = L"Old";
        subscribed.lastRetrieved = 1700000000;
        pluginSettings.links = {subscribed};
        pluginSettings.importErrorText = L"stale";
        const std::wstring url = c.pathAndQuery ? server->url(c.pathAndQuery) : L"http://127.0.0.1:1/feeds.opml";

        EXPECT_EQ(importOpml(url, 5), c.result) << c.name;
        const std::vector<LinkEntry>& links = pluginSettings.links;
        ASSERT_FALSE(links.empty()) << c.name;
        EXPECT_EQ(links[0].url + L" " + links[0].title, L"http://old.example/feed Old") << c.name;
        std::vector<std::wstring> appended;
        for (size_t i = 1; i < links.size(); ++i) {
            appended.push_back(links[i].url + L" " + links[i].title);
            EXPECT_EQ(links[i].enabled, 1) << c.name;
            EXPECT_EQ(links[i].htmlMode, HtmlNormal) << c.name;
            EXPECT_EQ(links[i].senderMode, SubjectWithSender) << c.name;
            EXPECT_EQ(links[i].lastRetrieved, 0) << c.name;
        }
        EXPECT_EQ(appended, c.appended) << c.name;
        const std::wstring& error = pluginSettings.importErrorText;
        EXPECT_TRUE(c.explained ? std::regex_match(error, kLoadError) : error.empty()) << c.name;
    }
}

}  // namespace
