#include "settings/InternetShortcut.h"

#include <gtest/gtest.h>

#include "common/TextConversion.h"
#include "support/TestFiles.h"

namespace {

class InternetShortcut : public ::testing::Test {
protected:
    std::wstring path(const std::wstring& name) const { return fromAnsi(folder.path()) + L"\\" + name; }
    TempFolder folder;
};

TEST_F(InternetShortcut, ReadsTheUrlValue) {
    const struct {
        const char* name;
        std::wstring fileName;
        std::string text;
        std::wstring expected;
    } cases[] = {
        {"value alone", L"a.url", "[InternetShortcut]\r\nURL=http://example.com/rss\r\n", L"http://example.com/rss"},
        {"among other entries", L"b.url",
         "[DEFAULT]\r\nBASEURL=http://other/\r\n[InternetShortcut]\r\nIconIndex=0\r\nURL=http://a/feed\r\nHotKey=0\r\n",
         L"http://a/feed"},
        {"other letter case", L"c.url", "[internetshortcut]\r\nurl=http://a/\r\n", L"http://a/"},
        {"quoted, with blanks", L"d.url", "[InternetShortcut]\r\nURL =  \"http://a/q\"  \r\n", L"http://a/q"},
        {"any extension", L"e.txt", "[InternetShortcut]\nURL=http://a/txt\n", L"http://a/txt"},
        {"without the section", L"f.url", "[Other]\r\nURL=http://a/\r\n", L""},
        {"without the key", L"g.url", "[InternetShortcut]\r\nURI=http://a/\r\n", L""},
        {"not an INI file", L"h.url", "just some text\r\nURL=http://a/\r\n", L""},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(writeFile(path(c.fileName), c.text)) << c.name;
        EXPECT_EQ(readInternetShortcutUrl(path(c.fileName)), c.expected) << c.name;
    }
    EXPECT_EQ(readInternetShortcutUrl(path(L"missing.url")), L"");
}

TEST_F(InternetShortcut, PathNoAnsiCodePageSpells) {
    const std::wstring thai = path(L"\u0e01\u0e02.url");
    // Wine under the C locale cannot name such a file on the Unix side.
    if (!writeFile(thai, "[InternetShortcut]\r\nURL=http://a/thai\r\n")) GTEST_SKIP() << "file not creatable";
    EXPECT_EQ(readInternetShortcutUrl(thai), L"http://a/thai");
}

// The value keeps what the settings file's buffer holds, and a double-byte character is
// never cut in half.
TEST_F(InternetShortcut, LongValueIsCutOnACharacterBoundary) {
    const bool doubleByte = GetACP() == 932 || GetACP() == 936;
    const wchar_t character = doubleByte ? L'\u65e5' : L'\u00e9';
    const std::wstring value = L"ab" + std::wstring(1200, character);
    ASSERT_TRUE(writeFile(path(L"long.url"), "[InternetShortcut]\r\nURL=" + toAnsi(value) + "\r\n"));
    EXPECT_EQ(readInternetShortcutUrl(path(L"long.url")), L"ab" + std::wstring(doubleByte ? 510 : 1021, character));

    ASSERT_TRUE(writeFile(path(L"ascii.url"), "[InternetShortcut]\r\nURL=" + std::string(2000, 'u') + "\r\n"));
    EXPECT_EQ(readInternetShortcutUrl(path(L"ascii.url")), std::wstring(1023, L'u'));
}

}  // namespace
