// Feed texts never break a mail: line breaks and other control characters in titles and
// authors do not reach the decoded From and Subject, and every body line ends in CR LF.
#include <gtest/gtest.h>

#include "feed/FeedFetcher.h"
#include "plugin/Delivery.h"
#include "settings/Settings.h"
#include "support/LineEnds.h"
#include "support/MailTexts.h"

namespace {

TEST(ItemMail, FeedTextNeverBreaksTheMail) {
    pluginSettings = PluginSettings{};
    // Character references carry CR and DEL through the parser, which turns literal CR LF into LF.
    const struct {
        const char* title;
        const char* author;
        const wchar_t* subject;
        const wchar_t* from;
    } cases[] = {
        {"Hello&#13;&#10;Bcc: victim@evil.example", "Ann", L"[Blog] Hello  Bcc: victim@evil.example",
         L"Chan nel [Ann]"},
        {"Lone&#10;LF", "An&#13;n", L"[Blog] Lone LF", L"Chan nel [An n]"},
        {"Lone&#13;CR", "A&#9;nn", L"[Blog] Lone CR", L"Chan nel [A nn]"},
        {"Tab&#9;and DEL&#127;!", "Ann&#127;&#127;B", L"[Blog] Tab and DEL !", L"Chan nel [Ann  B]"},
    };
    std::string items;
    for (const auto& c : cases) {
        items += std::string("<item><title>") + c.title + "</title><link>http://a/1</link><dc:creator>" + c.author +
                 "</dc:creator><pubDate>Tue, 14 Nov 2023 10:00:00 +0000</pubDate>"
                 "<description>l1&#10;l2&#13;l3&#13;&#10;l4</description></item>";
    }
    const std::string feed =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
        "<channel><title>Chan&#10;nel</title><link>http://a/</link>" + items + "</channel></rss>";
    for (const int32_t htmlMode : {HtmlNormal, HtmlBreakLines}) {
        FeedFetcher fetcher;
        ASSERT_TRUE(fetcher.ReadFeedBody(feed, L"text/xml", L"http://a/feed", 0, htmlMode, SubjectWithSender));
        ASSERT_EQ(fetcher.items.size(), std::size(cases));
        for (size_t i = 0; i < std::size(cases); ++i) {
            const std::string mail = itemMailText(fetcher.items[i], nullptr);
            EXPECT_NE(mail.find("\r\nSubject: =?UTF-8?B?" + base64(utf8(cases[i].subject)) + "?=\r\n"), std::string::npos)
                << cases[i].title;
            EXPECT_EQ(mail.rfind("From: =?UTF-8?B?" + base64(utf8(cases[i].from)) + "?=\r\n", 0), 0u) << cases[i].title;
            EXPECT_FALSE(hasBareLineEnd(mail)) << mail;
        }
    }
}

}  // namespace
