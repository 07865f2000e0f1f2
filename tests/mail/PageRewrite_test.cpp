#include "mail/PageRewrite.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "mail/RewriteOracle.h"

namespace {

std::string repeated(std::string_view piece, size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) text += piece;
    return text;
}

// Bytes made visible, for failure messages.
std::string escaped(std::string_view bytes) {
    std::string text;
    for (char c : bytes) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            text += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            text += hex;
        }
    }
    return text;
}

TEST(PageRewrite, RewritesLinksAndDropsElements) {
    struct Case {
        const char* name;
        std::string page;
        std::string base;
        std::string expected;
    };
    const std::string b = "http://h";
    const Case cases[] = {
        {"empty page", "", b, ""},
        {"capital anchor, host root", "<A HREF=\"page.html\">x</A>", b, "<a href=\"http://h/page.html\">x</A>"},
        {"absolute src", "<img src=\"http://e/x.png\">", b, "<img src=\"http://e/x.png\">"},
        {"absolute https in capitals", "<a href='HTTPS://e/'>", b, "<a href='HTTPS://e/'>"},
        {"directory part", "<img src=img/a.png>", b, "<img src=\"http://h/img/a.png\">"},
        {"rooted value", "<img src=\"/img/a.png\">", b, "<img src=\"http://h/img/a.png\">"},
        {"fragment", "<a href=\"#top\">", b, "<a href=\"http://h/#top\">"},
        {"apostrophes and blanks", "<img src = 'a.png'>", b, "<img src=\"http://h/a.png\">"},
        {"srcset", "<img srcset=\"a.png 2x\">", b, "<img src=\"http://h/a.png\" 2x\">"},
        {"area begins like a", "<area href=x>", b, "<area href=\"http://h/x\">"},
        {"link tag", "<LINK rel=stylesheet href=s.css>", b, "<link rel=stylesheet href=\"http://h/s.css\">"},
        {"other tags", "<div class=\"a\"><script src=\"x.js\"></script>", b,
         "<div class=\"a\"><script src=\"x.js\"></script>"},
        {"empty base", "<img src=x.png>", "", "<img src=\"/x.png\">"},
        {"name without value", "<a href>t", b, "<a href>t"},
        {"no equals anywhere", "<a href x>t", b, "<a href x>t"},
        {"equals in a later tag", "<a href x>t<img src=y>", b, "<a href=\"http://h/y\">"},
        {"name inside a value", "<a title=\"xhref=1\">", b, "<a title=\"xhref=\"http://h/1\">"},
        {"name inside an absolute value", "<a href=\"http://x/src=1\">", b,
         "<a href=\"http://x/src=\"http://h/1\">"},
        {"value runs to the end", "<img src=abc", b, "<img src=\"http://h/abc\""},
        {"equals at the end", "<img src=", b, "<img src=\"http://h/\""},
        {"keyword cut by the end", "<img sr", b, "<img sr"},
        {"scheme cut by the end", "<img src=http:/", b, "<img src=\"http://h/http:/\""},
        {"applet", "a<APPLET code=x><param></applet>b", b, "ab"},
        {"object", "a<object data=x>o</OBJECT>b", b, "ab"},
        {"embed", "a<embed src=x.swf></embed>b", b, "ab"},
        {"embed without its end", "a<embed src=x>b<p>c", b, "a"},
        {"closing text alone ends it", "<embed>x/embed>y", b, "y"},
        {"applet before anchor test", "<applet/applet>", b, ""},
        {"unclosed tag", "<a href=x", b, "<a href=\"http://h/x\""},
        {"bytes after NUL", std::string("a\0<img src=b>", 13), b, std::string("a\0<img src=\"http://h/b\">", 24)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(escaped(rewritePageLinks(c.page, c.base)), escaped(c.expected)) << c.name;
        EXPECT_EQ(escaped(rewritePageLinksLiterally(c.page, c.base)), escaped(c.expected)) << c.name << " (literal)";
    }
}

TEST(PageRewrite, HostilePagesMatchLiteralRewriting) {
    const std::string pages[] = {
        "<a " + repeated("src ", 3000) + "=\"http://x/\">",
        "<a " + repeated("href", 3000),
        "<img src=" + repeated(" ", 5000) + "http://x" + repeated("src", 1000),
        "<a src=" + repeated("'\" /", 2000) + ">",
        repeated("<embed", 2000) + "/embed>" + repeated("<a src", 1000),
        repeated("<a href=\"" + repeated("x", 300) + "\">", 40),
        repeated("<img src=", 2000),
    };
    for (const std::string& page : pages) {
        EXPECT_EQ(rewritePageLinks(page, "http://h"), rewritePageLinksLiterally(page, "http://h"))
            << escaped(page.substr(0, 60));
    }
}

std::string generatedPage(std::mt19937& generator) {
    static const std::string pieces[] = {
        "<a", "<A ", "<applet", "</applet>", "/APPLET>", "<embed", "/embed>", "<object ", "/object>",
        "<link", "<img", "<IMG ", " src", "SRC", "href", "HREF=", "srcset=", "=", "\"", "'", " ", "/",
        ">", "<", "http://", "HTTPS://", "hTtP:/", "x", "a.png", "#top", "\r\n", std::string(1, '\0'),
    };
    const size_t pieceCount = sizeof pieces / sizeof pieces[0];
    std::string page;
    for (uint32_t count = generator() % 40; count > 0; --count) {
        const uint32_t pick = generator() % (pieceCount + 1);
        if (pick == pieceCount) {
            page += static_cast<char>(generator() % 256);
        } else {
            page += pieces[pick];
        }
    }
    return page;
}

TEST(PageRewrite, GeneratedPagesMatchLiteralRewriting) {
    const std::string bases[] = {"", "http://h", "http://example.com:8080"};
    std::mt19937 generator(20240611);
    for (int i = 0; i < 40000; ++i) {
        const std::string page = generatedPage(generator);
        const std::string& base = bases[i % 3];
        ASSERT_EQ(escaped(rewritePageLinks(page, base)), escaped(rewritePageLinksLiterally(page, base)))
            << "page " << escaped(page) << " base " << base;
    }
}

TEST(PageRewrite, StopRequestEndsTheScan) {
    const struct {
        int32_t stop;
        const char* expected;
    } cases[] = {
        {0, "<img src=\"http://h/a\">"},
        {1, ""},
    };
    for (const auto& c : cases) {
        const std::atomic<int32_t> stopRequested{c.stop};
        EXPECT_EQ(rewritePageLinks("<img src=a>", "http://h", &stopRequested), c.expected) << c.stop;
    }
}

TEST(PageRewrite, PageBaseIsSchemeAndHost) {
    const struct {
        const wchar_t* link;
        const wchar_t* expected;
    } cases[] = {
        {L"http://host/dir/page.html", L"http://host"},
        {L"http://host:8080/", L"http://host:8080"},
        {L"http://\x4E2D\x6587.example/x", L"http://\x4E2D\x6587.example"},
        {L"https://host/x", L""},
        {L"HTTP://host/x", L""},
        {L"http://host", L""},
        {L"", L""},
        {L"see http://h/x", L"http://h"},
        {L"https://a/?u=http://b/c", L"http://b"},
        {L"http:///x", L"http://"},
    };
    for (const auto& c : cases) EXPECT_EQ(pageBaseOf(c.link), c.expected) << c.link;
}

}  // namespace
