#include "feed/AtomText.h"

#include <gtest/gtest.h>

namespace {

TEST(AtomText, TypeAttribute) {
    const struct {
        std::wstring type;
        AtomTextType expected;
    } cases[] = {
        {L"", AtomTextType::Text},
        {L"TEXT", AtomTextType::Text},
        {L"text/plain; charset=utf-8", AtomTextType::Text},
        {L"html", AtomTextType::Html},
        {L"text/html", AtomTextType::Html},
        {L"text/html ; charset=utf-8", AtomTextType::Html},
        {L"xhtml", AtomTextType::Xhtml},
        {L"application/xhtml+xml", AtomTextType::Xhtml},
        {L"text/", AtomTextType::Other},
        {L"image/png", AtomTextType::Other},
        {L"htm", AtomTextType::Other},
    };
    for (const auto& c : cases) EXPECT_EQ(AtomTextTypeOf(c.type), c.expected) << c.type;
}

TEST(AtomText, PlainTextEscapedForHtml) {
    const struct {
        std::wstring text, expected;
    } cases[] = {
        {L"", L""},
        {L"Fish & chips <b>\"fresh\"</b> isn't", L"Fish &amp; chips &lt;b&gt;&quot;fresh&quot;&lt;/b&gt; isn&#39;t"},
        {L"line one\r\nline two\nthree\r", L"line one\r\nline two\nthree\r"},
        {L"\u4e2d\u6587 \U0001F600", L"\u4e2d\u6587 \U0001F600"},
    };
    for (const auto& c : cases) EXPECT_EQ(EscapeHtmlText(c.text), c.expected) << c.text;
}

TEST(AtomText, HtmlReducedToItsText) {
    const struct {
        const char* name;
        std::wstring html, expected;
    } cases[] = {
        {"tags", L"<b>Bold</b> and <a href=\"x?a=1&amp;b=2\">link</a><br/>", L"Bold and link"},
        {"comment with a '>'", L"a<!-- x > y -->b", L"ab"},
        {"'<' before a blank, a digit or the end", L"1 < 2 <3 <", L"1 < 2 <3 <"},
        {"unclosed tag", L"a <b c", L"a <b c"},
        {"unclosed comment", L"a <!-- b", L"a <!-- b"},
        {"XML's entities", L"&lt;i&gt; &amp; &quot;q&quot; &apos;", L"<i> & \"q\" '"},
        {"HTML's entities", L"Caf&eacute;&nbsp;&NotEqualTilde;", L"Caf\u00e9\u00a0\u2242\u0338"},
        {"beyond the basic plane", L"&Afr; &#x1F600; &#128512;", L"\U0001D504 \U0001F600 \U0001F600"},
        {"numeric", L"&#8211;&#x2013;&#X2013;&#0065;", L"\u2013\u2013\u2013A"},
        {"numeric that is no character", L"&#0;&#xD800;&#x110000;&#99999999999999999999;",
         L"\ufffd\ufffd\ufffd\ufffd"},
        {"no reference", L"& &; &#; &#x; &#12a; &copy &bogus; AT&T", L"& &; &#; &#x; &#12a; &copy &bogus; AT&T"},
        {"decoded once", L"&amp;lt;", L"&lt;"},
        {"white space kept", L"a\r\n  <p>b</p>\tc", L"a\r\n  b\tc"},
    };
    for (const auto& c : cases) EXPECT_EQ(HtmlToPlainText(c.html), c.expected) << c.name;
}

// Openings without an end, as a hostile feed may send them, must not be searched to the
// end of the text for each one.
TEST(AtomText, HtmlWithoutEndsInLinearTime) {
    const struct {
        const char* name;
        std::wstring_view unit;
    } cases[] = {
        {"tags", L"<a"},
        {"comments", L"<!--"},
        {"named references", L"&abc"},
        {"numeric references", L"&#12"},
    };
    for (const auto& c : cases) {
        std::wstring html;
        for (int i = 0; i < 1 << 19; ++i) html += c.unit;
        EXPECT_EQ(HtmlToPlainText(html), html) << c.name;
    }
}

}  // namespace
