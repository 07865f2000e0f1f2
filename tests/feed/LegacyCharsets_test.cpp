// Feeds and pages in the legacy charsets of Chinese, Korean, Russian and Western sites,
// read and composed as delivery does, down to the mail the client stores.
#include <gtest/gtest.h>

#include "common/DateText.h"
#include "common/TextConversion.h"
#include "feed/CharsetNames.h"
#include "feed/FeedFetcher.h"
#include "mail/LinkedPage.h"
#include "plugin/Delivery.h"
#include "settings/Settings.h"
#include "support/TestFiles.h"
#include "support/MailTexts.h"
#include "support/TestServer.h"

namespace {


std::string expectedMail(const std::wstring& sender, const std::wstring& subject, const std::string& link,
                         const std::wstring& body) {
    return "From: =?UTF-8?B?" + base64(utf8(sender)) + "?=\r\n"
           "Date: Mon, 02 Jan 2006 15:04:05 +0900\r\n"
           "Subject: =?UTF-8?B?" + base64(utf8(subject)) + "?=\r\n"
           "Message-Id: <" + link + "@mvfeedwick.invalid>\r\n"
           "MIME-Version: 1.0\r\n"
           "Content-Type: text/html; charset=UTF-8\r\n"
           "Content-Transfer-Encoding: 8bit\r\n"
           "\r\n"
           "<HTML>\r\n<HEAD>\r\n<META HTTP-EQUIV=\"content-type\" content=\"text/html; charset=UTF-8\">\r\n"
           "</HEAD>\r\n<BODY>\r\n" + utf8(body) + "<BR><BR><A HREF=\"" + link + "\">" + link + "</A>\r\n"
           "</BODY>\r\n</HTML>\r\n\r\n";
}

class LegacyCharsets : public ::testing::Test {
protected:
    void SetUp() override { pluginSettings = PluginSettings{}; }
};

// A code page the system lacks would turn every such feed into empty text.
TEST_F(LegacyCharsets, EveryCodePageOfTheTableDecodes) {
    std::vector<Charset> charsets = {kUtf8, kEucJp, kShiftJis};
    for (const CharsetName& entry : kCharsetNames) charsets.push_back(entry.charset);
    for (const Charset& charset : charsets) {
        EXPECT_TRUE(IsValidCodePage(charset.codePage)) << charset.codePage;
        EXPECT_EQ(toWide("<rss/>", charset.codePage), L"<rss/>") << charset.codePage;
    }
}

TEST_F(LegacyCharsets, FeedsReadIntoTheirMails) {
    const struct {
        const char* file;
        std::wstring contentType;
        std::string site;
        std::wstring title, author, itemTitle, body;
    } cases[] = {
        {"chinese.gbk.xml", L"text/xml; charset=UTF-8", "cn", L"中文博客", L"朱镕基", L"新闻：汉字测试",
         L"正文共十行，镕字只在GBK里"},
        {"chinese.undeclared.gbk.xml", L"text/xml; charset=gb2312", "cn", L"中文博客", L"朱镕基", L"新闻：汉字测试",
         L"正文共十行，镕字只在GBK里"},
        {"chinese.big5.xml", L"text/xml", "tw", L"繁體中文部落格", L"陳大文", L"標題：測試", L"內文共十行"},
        {"french.iso-8859-1.xml", L"", "fr", L"Café français", L"Zoë Müller", L"Über die Straße",
         L"Ça coûte 5 £ « déjà »"},
        {"english.windows-1252.xml", L"text/xml", "us", L"Smart “quotes” – news", L"Renée O’Neil", L"Price: 5 €",
         L"It’s … done‰"},
        {"korean.euc-kr.xml", L"application/rss+xml", "kr", L"한국어 블로그", L"김철수", L"제목 시험",
         L"본문은 열 줄입니다"},
        {"russian.koi8-r.xml", L"text/xml", "ru", L"Русский блог", L"Иван Петров", L"Заголовок статьи",
         L"Текст статьи, ёлка"},
    };
    for (const auto& c : cases) {
        FeedFetcher fetcher;
        ASSERT_TRUE(fetcher.ReadFeedBody(readFile(testDataPath(std::string("feeds/") + c.file)), c.contentType, L"", 0,
                                         HtmlNormal, SubjectWithSender))
            << c.file << " " << fetcher.lastError;
        EXPECT_EQ(fetcher.feedTitle, c.title) << c.file;
        ASSERT_EQ(fetcher.items.size(), 1u) << c.file;
        const std::string link = "http://" + c.site + ".example.org/1";
        EXPECT_EQ(itemMailText(fetcher.items[0], nullptr),
                  expectedMail(c.title + L" [" + c.author + L"]", L"[Blog] " + c.itemTitle, link, c.body))
            << c.file;
    }
}

// The page goes into the mail as it came, so its label names the charset it is in.
TEST_F(LegacyCharsets, PrefetchedPageLabelledWithItsCharset) {
    TestServer server;
    ASSERT_TRUE(server.running());
    const std::string gbkPage = "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
                                "</head><body>\xd6\xd0\xce\xc4</body></html>";
    const std::string big5Page = "<html><body>\xa4\xa4\xa4\xe5</body></html>";
    server.writeFile("gbk.html", gbkPage);
    server.writeFile("big5.html", big5Page);
    const struct {
        std::string pathAndQuery;
        const std::string& page;
        std::string expectedLabel;
    } cases[] = {
        {"/gbk.html", gbkPage, "GBK"},
        {"/gbk.html?type=text/html;%20charset=Big5", gbkPage, "GBK"},  // the page's own name first
        {"/big5.html?type=text/html;%20charset=BIG5", big5Page, "Big5"},
        {"/big5.html?type=text/html;%20charset=x-unknown", big5Page, "UTF-8"},
    };
    for (const auto& c : cases) {
        FeedFetcher fetcher;
        LinkedPage page;
        const std::wstring url = server.url(c.pathAndQuery);
        ASSERT_TRUE(readLinkedPage(fetcher, url, HttpGet(url, 10, 0, "", HttpMode::Background), page, nullptr))
            << c.pathAndQuery;
        FeedItem item;
        item.htmlMode = HtmlPrefetchLink;
        const std::string mail = itemMailText(item, &page);
        EXPECT_NE(mail.find("\r\nContent-Type: text/html; charset=" + c.expectedLabel + "\r\n"), std::string::npos)
            << c.pathAndQuery << "\n" << mail;
        EXPECT_EQ(mail.substr(mail.find("\r\n\r\n") + 4), c.page + "\r\n") << c.pathAndQuery;
    }
}

}  // namespace
