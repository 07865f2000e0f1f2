#include "feed/XmlDeclaration.h"

#include <gtest/gtest.h>

namespace {

TEST(XmlDeclaration, EncodingIsTakenOut) {
    const struct {
        const char* name;
        std::wstring text, expected;
    } cases[] = {
        {"double quotes", L"<?xml version=\"1.0\" encoding=\"EUC-JP\"?><rss/>", L"<?xml version=\"1.0\"?><rss/>"},
        {"single quotes and blanks", L"<?xml version='1.0'  encoding = 'Shift_JIS' ?><rss/>", L"<?xml version='1.0' ?><rss/>"},
        {"standalone stays", L"<?xml version=\"1.0\" encoding=\"x\" standalone=\"yes\"?><a/>",
         L"<?xml version=\"1.0\" standalone=\"yes\"?><a/>"},
        {"line breaks", L"<?xml\nversion=\"1.0\"\nencoding=\"EUC-JP\"?>\n<a/>", L"<?xml\nversion=\"1.0\"?>\n<a/>"},
        {"byte order mark", L"\xfeff<?xml version=\"1.0\" encoding=\"UTF-8\"?><a/>", L"\xfeff<?xml version=\"1.0\"?><a/>"},
        {"look-alike attribute", L"<?xml version=\"1.0\" myencoding=\"x\" encoding=\"y\"?>",
         L"<?xml version=\"1.0\" myencoding=\"x\"?>"},
        {"no encoding", L"<?xml version=\"1.0\"?><a encoding=\"x\"/>", L"<?xml version=\"1.0\"?><a encoding=\"x\"/>"},
        {"no declaration", L"<rss encoding=\"x\"/>", L"<rss encoding=\"x\"/>"},
        {"other processing instruction", L"<?xml-stylesheet encoding=\"x\"?><a/>", L"<?xml-stylesheet encoding=\"x\"?><a/>"},
        {"blank before the declaration", L" <?xml version=\"1.0\" encoding=\"x\"?>", L" <?xml version=\"1.0\" encoding=\"x\"?>"},
        {"unclosed declaration", L"<?xml version=\"1.0\" encoding=\"x\"", L"<?xml version=\"1.0\" encoding=\"x\""},
        {"unclosed quote", L"<?xml version=\"1.0\" encoding=\"x?><a/>", L"<?xml version=\"1.0\" encoding=\"x?><a/>"},
        {"encoding without value", L"<?xml version=\"1.0\" encoding?><a/>", L"<?xml version=\"1.0\" encoding?><a/>"},
        {"declaration alone", L"<?xml", L"<?xml"},
        {"empty", L"", L""},
    };
    for (const auto& c : cases) {
        std::wstring text = c.text;
        EraseEncodingDeclaration(text);
        EXPECT_EQ(text, c.expected) << c.name;
    }
}

}  // namespace
