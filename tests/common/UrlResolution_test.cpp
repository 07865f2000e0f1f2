#include "common/UrlResolution.h"

#include <gtest/gtest.h>

namespace {

// Against RFC 3986's own base "http://a/b/c/d;p?q": its examples (section 5.4), then the
// cases of feeds.
TEST(UrlResolution, ReferencesAgainstABase) {
    const struct {
        std::wstring reference, expected;
    } cases[] = {
        {L"g", L"http://a/b/c/g"},
        {L"./g", L"http://a/b/c/g"},
        {L"g/", L"http://a/b/c/g/"},
        {L"/g", L"http://a/g"},
        {L"//g", L"http://g"},
        {L"?y", L"http://a/b/c/d;p?y"},
        {L"g?y", L"http://a/b/c/g?y"},
        {L"#s", L"http://a/b/c/d;p?q#s"},
        {L"g?y#s", L"http://a/b/c/g?y#s"},
        {L";x", L"http://a/b/c/;x"},
        {L"", L"http://a/b/c/d;p?q"},
        {L".", L"http://a/b/c/"},
        {L"..", L"http://a/b/"},
        {L"../g", L"http://a/b/g"},
        {L"../../", L"http://a/"},
        {L"../../../../g", L"http://a/g"},
        {L"/./g", L"http://a/g"},
        {L"/../g", L"http://a/g"},
        {L"g.", L"http://a/b/c/g."},
        {L"..g", L"http://a/b/c/..g"},
        {L"./g/.", L"http://a/b/c/g/"},
        {L"g;x=1/../y", L"http://a/b/c/y"},
        {L"g?y/../x", L"http://a/b/c/g?y/../x"},
        {L"g#s/../x", L"http://a/b/c/g#s/../x"},
        {L"g:h", L"g:h"},
        {L"http:g", L"http:g"},
        {L"HTTP://Example.COM/./x/../y", L"HTTP://Example.COM/./x/../y"},
        {L"a b:c", L"http://a/b/c/a b:c"},
        {L"\u65e5\u672c/\u8a18\u4e8b", L"http://a/b/c/\u65e5\u672c/\u8a18\u4e8b"},
    };
    for (const auto& c : cases) EXPECT_EQ(resolveUrl(L"http://a/b/c/d;p?q", c.reference), c.expected) << c.reference;
}

TEST(UrlResolution, BasesOfEveryShape) {
    const struct {
        std::wstring base, reference, expected;
    } cases[] = {
        {L"http://a", L"g", L"http://a/g"},
        {L"http://a/feed.xml#top", L"", L"http://a/feed.xml"},
        {L"http://a/b/", L"../../g", L"http://a/g"},
        {L"urn:x", L"g", L"urn:g"},
        {L"", L"g", L"g"},
        {L"feeds/rss.xml", L"g", L"g"},
    };
    for (const auto& c : cases) EXPECT_EQ(resolveUrl(c.base, c.reference), c.expected) << c.base << " " << c.reference;
}

}  // namespace
