#include "ui/DroppedFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A header naming `offset` and the wide flag, then `names` as given.
std::string fileList(uint32_t offset, bool wide, const std::string& names) {
    std::string block(20, '\0');
    for (int i = 0; i < 4; ++i) block[static_cast<size_t>(i)] = static_cast<char>(offset >> (8 * i));
    block[16] = wide ? 1 : 0;
    return block + names;
}

std::string utf16(const std::u16string& text) {
    std::string bytes;
    for (const char16_t unit : text) bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    return bytes;
}

TEST(DroppedFiles, TakesTheWholeFirstNameOfTheList) {
    const std::string longName = "C:\\" + std::string(400, 'a') + ".url";
    const std::u16string wideName = u"C:\\链接\\" + std::u16string(300, u'b') + u".url";
    const struct {
        const char* name;
        std::string block;
        bool wide;
        std::string ansi;
        std::u16string utf16;
    } cases[] = {
        {"ANSI list", fileList(20, false, std::string("C:\\a.url\0C:\\b.url\0\0", 20)), false, "C:\\a.url", u""},
        {"wide list", fileList(20, true, utf16(u"C:\\链接.url") + std::string(4, '\0')), true, "", u"C:\\链接.url"},
        {"long ANSI name", fileList(20, false, longName + std::string(2, '\0')), false, longName, u""},
        {"long wide name", fileList(20, true, utf16(wideName) + std::string(4, '\0')), true, "", wideName},
        {"names past a gap", fileList(24, false, std::string("xxxxC:\\c\0\0", 10)), false, "C:\\c", u""},
        {"no NUL at the end", fileList(20, false, "C:\\cut"), false, "C:\\cut", u""},
        {"odd last byte", fileList(20, true, utf16(u"C:\\d") + "\x01"), true, "", u"C:\\d"},
    };
    for (const auto& c : cases) {
        const auto first = firstDroppedFileName(c.block);
        ASSERT_TRUE(first) << c.name;
        EXPECT_EQ(first->wide, c.wide) << c.name;
        EXPECT_EQ(first->ansi, c.ansi) << c.name;
        EXPECT_TRUE(first->utf16 == c.utf16) << c.name;
    }
}

TEST(DroppedFiles, RefusesBlocksWithoutAName) {
    const struct {
        const char* name;
        std::string block;
    } cases[] = {
        {"empty", ""},
        {"header cut short", fileList(20, false, "").substr(0, 19)},
        {"header only", fileList(20, false, "")},
        {"offset inside the header", fileList(8, false, "C:\\a\0")},
        {"offset past the end", fileList(4096, false, "C:\\a")},
        {"empty ANSI list", fileList(20, false, std::string(2, '\0'))},
        {"empty wide list", fileList(20, true, std::string(4, '\0'))},
        {"one wide byte", fileList(20, true, "C")},
    };
    for (const auto& c : cases) EXPECT_FALSE(firstDroppedFileName(c.block)) << c.name;
}

}  // namespace
