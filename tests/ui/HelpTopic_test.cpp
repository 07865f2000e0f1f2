#include "ui/HelpTopic.h"

#include <gtest/gtest.h>

namespace {

TEST(HelpTopic, ReplacesEveryIniOfTheSettingsPath) {
    const struct {
        const wchar_t* iniPath;
        const wchar_t* suffix;
        const wchar_t* expected;
    } cases[] = {
        {L"C:\\Mirvel\\MvFeedwick.ini", L".chm::/what.htm", L"C:\\Mirvel\\MvFeedwick.chm::/what.htm"},
        {L"C:\\my.ini\\MvFeedwick.ini", L".chm::/func_g_link.htm",
         L"C:\\my.chm::/func_g_link.htm\\MvFeedwick.chm::/func_g_link.htm"},
        // A suffix that brings its own ".ini" is not replaced again.
        {L"C:\\a.ini", L".ini.chm::/x.htm", L"C:\\a.ini.chm::/x.htm"},
    };
    for (const auto& c : cases) EXPECT_EQ(helpTopicPath(c.iniPath, c.suffix), c.expected) << c.iniPath;
}

}  // namespace
