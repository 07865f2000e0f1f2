#include "mail/MailText.h"

#include <gtest/gtest.h>

#include "feed/CharsetNames.h"
#include "mail/PageRewrite.h"

namespace {

// Headers of a mail dated 1700000000 whose sender is "Blog" and subject "Hello".
std::string headers(std::string_view messageIdLeft, std::string_view label) {
    return "From: =?UTF-8?B?QmxvZw==?=\r\n"
           "Date: Wed, 15 Nov 2023 07:13:20 +0900\r\n"
           "Subject: =?UTF-8?B?SGVsbG8=?=\r\n"
           "Message-Id: <" + std::string(messageIdLeft) + "@mvfeedwick.invalid>\r\n"
           "MIME-Version: 1.0\r\n"
           "Content-Type: text/html" + std::string(label) + "\r\n"
           "Content-Transfer-Encoding: 8bit\r\n"
           "\r\n";
}

std::string frame(std::string_view body, std::string_view link) {
    return "<HTML>\r\n<HEAD>\r\n<META HTTP-EQUIV=\"content-type\" content=\"text/html; charset=UTF-8\">\r\n"
           "</HEAD>\r\n<BODY>\r\n" + std::string(body) + "<BR><BR><A HREF=\"" + std::string(link) + "\">" +
           std::string(link) + "</A>\r\n</BODY>\r\n</HTML>\r\n";
}

MailParts itemParts(int32_t htmlMode, std::string_view body) {
    MailParts parts;
    parts.date = 1700000000;
    parts.sender = "Blog";
    parts.subject = "Hello";
    parts.link = "item-1";
    parts.body = body;
    parts.htmlMode = htmlMode;
    return parts;
}

MailParts pageParts(std::string_view page, Charset charset) {
    MailParts parts = itemParts(HtmlPrefetchLink, "feed text");
    parts.pageFetched = true;
    parts.page = page;
    parts.pageCharset = charset;
    return parts;
}

MailParts failedPrefetchParts(Charset charset) {
    MailParts parts = pageParts("page", charset);
    parts.pageFetched = false;
    return parts;
}

TEST(MailText, WholeMessageForEachBody) {
    const std::string rewrittenPage = rewritePageLinks(
        "<html><A HREF=x.html>x</A><img src='/i.png'><embed src=a.swf></embed><object>o</object>"
        "<applet code=c></applet><p>end",
        "http://h");
    const std::string notice = "\r\nMvFeedwick: \xE7\x94\xB1\xE4\xBA\x8E\xE8\xBF\x9E\xE6\x8E\xA5\xE8\xB6\x85"
                               "\xE6\x97\xB6\xEF\xBC\x8C\xE4\xB8\x8B\xE9\x9D\xA2\xE9\x93\xBE\xE6\x8E\xA5\xE7\x82"
                               "\xB9\xE7\x9A\x84HTML\xE9\xA1\xB5\xE4\xB8\x8D\xE8\x83\xBD\xE6\x94\xB6\xE5\x8F\x96";
    struct Case {
        const char* name;
        MailParts parts;
        std::string expected;
    };
    const Case cases[] = {
        {"normal", itemParts(HtmlNormal, "Hi"),
         "From: =?UTF-8?B?QmxvZw==?=\r\n"
         "Date: Wed, 15 Nov 2023 07:13:20 +0900\r\n"
         "Subject: =?UTF-8?B?SGVsbG8=?=\r\n"
         "Message-Id: <item-1@mvfeedwick.invalid>\r\n"
         "MIME-Version: 1.0\r\n"
         "Content-Type: text/html; charset=UTF-8\r\n"
         "Content-Transfer-Encoding: 8bit\r\n"
         "\r\n"
         "<HTML>\r\n"
         "<HEAD>\r\n"
         "<META HTTP-EQUIV=\"content-type\" content=\"text/html; charset=UTF-8\">\r\n"
         "</HEAD>\r\n"
         "<BODY>\r\n"
         "Hi<BR><BR><A HREF=\"item-1\">item-1</A>\r\n"
         "</BODY>\r\n"
         "</HTML>\r\n"
         "\r\n"},
        {"normal keeps line breaks", itemParts(HtmlNormal, "a\r\nb"),
         headers("item-1", "; charset=UTF-8") + frame("a\r\nb", "item-1") + "\r\n"},
        {"break lines", itemParts(HtmlBreakLines, "a\r\nb\nc"),
         headers("item-1", "; charset=UTF-8") + frame("a<BR>\r\nb<BR>\r\nc", "item-1") + "\r\n"},
        {"break lines: a lone CR ends its line without a tag", itemParts(HtmlBreakLines, "a\rb\r\r\n\n"),
         headers("item-1", "; charset=UTF-8") + frame("a\r\nb\r\n<BR>\r\n<BR>\r\n", "item-1") + "\r\n"},
        {"regression: lone LF and CR stayed bare", itemParts(HtmlNormal, "a\nb\rc\r\n"),
         headers("item-1", "; charset=UTF-8") + frame("a\r\nb\r\nc\r\n", "item-1") + "\r\n"},
        {"unknown mode", itemParts(7, "Hi"), headers("item-1", "; charset=UTF-8") + "\r\n"},
        {"regression: a page's lone LF stayed bare", pageParts("<p>\n</p>\r", kUtf8),
         headers("item-1", "; charset=UTF-8") + "<p>\r\n</p>\r\n\r\n"},
        {"rewritten page", pageParts(rewrittenPage, kUtf8),
         headers("item-1", "; charset=UTF-8") +
             "<html><a href=\"http://h/x.html\">x</A><img src=\"http://h/i.png\"><p>end\r\n"},
        {"empty page", pageParts("", kUtf8), headers("item-1", "; charset=UTF-8") + "\r\n"},
        {"regression: GBK page was labelled UTF-8", pageParts("p", kGbk),
         headers("item-1", "; charset=GBK") + "p\r\n"},
        {"regression: EUC-JP page was labelled gb2312", pageParts("p", kEucJp),
         headers("item-1", "; charset=EUC-JP") + "p\r\n"},
        {"regression: Shift_JIS page was labelled gb2312", pageParts("p", kShiftJis),
         headers("item-1", "; charset=Shift_JIS") + "p\r\n"},
        {"page ends at NUL", pageParts(std::string_view("ab\0cd", 5), kUtf8),
         headers("item-1", "; charset=UTF-8") + "ab\r\n"},
        {"prefetch timed out", failedPrefetchParts(kShiftJis),
         headers("item-1", "; charset=UTF-8") + frame(notice, "item-1") + "\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(composeMailText(c.parts), c.expected) << c.name;
}

TEST(MailText, HeaderValuesFromHostileTexts) {
    const std::string longLink = "http://h/" + std::string(5000, 'x');
    struct Case {
        const char* name;
        std::string sender, subject, link;
        std::string expectedFrom, expectedSubject, expectedMessageId;
    };
    const Case cases[] = {
        {"empty texts", "", "", "", "From: =?UTF-8?B?" "?=", "Subject: =?UTF-8?B?" "?=",
         "Message-Id: <@mvfeedwick.invalid>"},
        {"UTF-8 texts", "\xE4\xB8\xAD", "[Blog]_\xE6\x96\x87", "http://h/\xE4\xB8\xAD",
         "From: =?UTF-8?B?5Lit?=", "Subject: =?UTF-8?B?W0Jsb2ddX+aWhw==?=",
         "Message-Id: <http://h/%E4%B8%AD@mvfeedwick.invalid>"},
        {"regression: line break in link made a new header", "a\r\nBcc: x", "s", "http://h/\r\nBcc: x@y",
         "From: =?UTF-8?B?YQ0KQmNjOiB4?=", "Subject: =?UTF-8?B?cw==?=",
         "Message-Id: <http://h/%0D%0ABcc:%20x%40y@mvfeedwick.invalid>"},
        {"control bytes and DEL encoded", "s", "s", "a\tb\x7F" "c\x01\x1F\x80" "d",
         "From: =?UTF-8?B?cw==?=", "Subject: =?UTF-8?B?cw==?=",
         "Message-Id: <a%09b%7Fc%01%1F%80d@mvfeedwick.invalid>"},
        {"regression: quotes, brackets and backslash ended the id", "s", "s", "http://h/?a=\"1\"&b='<2>'\\",
         "From: =?UTF-8?B?cw==?=", "Subject: =?UTF-8?B?cw==?=",
         "Message-Id: <http://h/?a=%221%22&b='%3C2%3E'%5C@mvfeedwick.invalid>"},
        {"clean link verbatim, percent signs kept", "s", "s", "http://h/a%20b?q=1&r=[2]#f~!$*+,;()'",
         "From: =?UTF-8?B?cw==?=", "Subject: =?UTF-8?B?cw==?=",
         "Message-Id: <http://h/a%20b?q=1&r=[2]#f~!$*+,;()'@mvfeedwick.invalid>"},
        {"kilobytes long link", "s", "s", longLink, "From: =?UTF-8?B?cw==?=", "Subject: =?UTF-8?B?cw==?=",
         "Message-Id: <" + longLink + "@mvfeedwick.invalid>"},
    };
    for (const Case& c : cases) {
        MailParts parts = itemParts(HtmlNormal, "Hi");
        parts.sender = c.sender;
        parts.subject = c.subject;
        parts.link = c.link;
        const std::string mail = composeMailText(parts);
        const std::string expectedHeaders = c.expectedFrom + "\r\nDate: Wed, 15 Nov 2023 07:13:20 +0900\r\n" +
                                            c.expectedSubject + "\r\n" + c.expectedMessageId + "\r\n";
        EXPECT_EQ(mail.substr(0, expectedHeaders.size()), expectedHeaders) << c.name;
        // The link goes into the body's anchor unchanged.
        EXPECT_NE(mail.find("<A HREF=\"" + c.link + "\">" + c.link + "</A>"), std::string::npos) << c.name;
    }
}

}  // namespace
