#include "settings/Settings.h"

#include <gtest/gtest.h>

#include "common/TextConversion.h"
#include "support/TestFiles.h"

namespace {

// A title the current ANSI code page can hold, so the round trip is exact under it.
std::wstring localTitle() {
    switch (GetACP()) {
        case 936: return L"中文博客标题";
        case 932: return L"日本語のブログ";
        default: return L"Caf\u00e9 Blog";
    }
}

// What a Unicode text becomes after a trip through the ANSI code page.
std::wstring throughAnsi(const std::wstring& text) { return fromAnsi(toAnsi(text)); }

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override { pluginSettings = PluginSettings{}; }
    std::string ini() const { return folder.file("MvFeedwick.ini"); }
    std::wstring widePath() const { return fromAnsi(ini()); }
    void write(const std::string& text) { writeFile(ini(), text); }
    TempFolder folder;
};

TEST_F(SettingsFile, MissingFileGivesTheDefaults) {
    pluginSettings.TimeoutC = 99;
    pluginSettings.links.push_back(LinkEntry{});
    pluginSettings.importErrorText = L"kept";
    ASSERT_TRUE(loadSettings(widePath()));
    const PluginSettings& s = pluginSettings;
    EXPECT_TRUE(s.links.empty());
    EXPECT_EQ(s.importErrorText, L"kept");
    EXPECT_EQ(s.Mailbox, L"");
    EXPECT_EQ(s.ScheduleType, 0);
    EXPECT_EQ(s.Interval, 60);
    EXPECT_EQ(s.TimeoutC, 15);
    EXPECT_EQ(s.TimeoutS, 180);
    EXPECT_EQ(s.AlwaysTop, 0);
    EXPECT_EQ(s.ToolMenu, 1);
    EXPECT_EQ(s.XPos, 0);
    EXPECT_EQ(s.YPos, 0);
    EXPECT_EQ(s.SubjectPrefix, 1);
    EXPECT_EQ(s.SubjectPrefixText, L"[Blog]_");
    EXPECT_EQ(s.FilterExec, 0);
    EXPECT_EQ(s.TimeoutB, 10);
    EXPECT_EQ(s.Parallel, 6);
    EXPECT_EQ(s.ItemMemory, 1);
}

TEST_F(SettingsFile, SaveWritesTheExactFormatInKeyOrder) {
    pluginSettings.Mailbox = L"Main";
    pluginSettings.XPos = -20;
    pluginSettings.YPos = 40;
    LinkEntry link;
    link.url = L"http://example.com/rss";
    link.title = L"Example";
    link.lastRetrieved = 1700000000;
    pluginSettings.links.push_back(link);
    link.enabled = 0;
    link.htmlMode = HtmlPrefetchLink;
    link.senderMode = SenderOnly;
    link.lastRetrieved = 0;
    pluginSettings.links.push_back(link);
    ASSERT_TRUE(saveSettings(widePath()));
    EXPECT_EQ(readFile(ini()),
              "[Control]\r\nVersion=1.2\r\nMailbox=Main\r\nScheduleType=0\r\nInterval=60\r\n"
              "TimeoutC=15\r\nTimeoutS=180\r\nAlwaysTop=0\r\nToolMenu=1\r\nSubjectPrefix=1\r\n"
              "SubjectPrefixText=[Blog]_\r\nFilterExec=0\r\nTimeoutB=10\r\nParallel=6\r\nItemMemory=1\r\nXPos=-20\r\nYPos=40\r\n"
              "[Links]\r\nCount=2\r\n0=1|http://example.com/rss|Example|1|2|1700000000\r\n"
              "1=0|http://example.com/rss|Example|2|0|0\r\n");
}

TEST_F(SettingsFile, SaveThenLoadRoundTripsEveryField) {
    PluginSettings& s = pluginSettings;
    s.Mailbox = localTitle() + L" box";
    s.ScheduleType = ScheduleEveryInterval;
    s.Interval = 1440;
    s.TimeoutC = 600;
    s.TimeoutS = 1;
    s.AlwaysTop = 1;
    s.ToolMenu = 0;
    s.XPos = 300;
    s.YPos = -5;
    s.SubjectPrefix = 0;
    s.SubjectPrefixText = L"[" + localTitle() + L"]";
    s.FilterExec = 1;
    s.TimeoutB = 77;
    s.Parallel = 3;
    s.ItemMemory = 0;
    for (int i = 0; i < 3; ++i) {
        LinkEntry link;
        link.enabled = i % 2;
        link.url = L"http://example.com/feed" + std::to_wstring(i) + L".xml";
        link.title = localTitle() + std::to_wstring(i);
        link.htmlMode = i;
        link.senderMode = 2 - i;
        link.lastRetrieved = 1700000000 + i;
        s.links.push_back(link);
    }
    const PluginSettings saved = s;
    ASSERT_TRUE(saveSettings(widePath()));
    s = PluginSettings{};
    ASSERT_TRUE(loadSettings(widePath()));

    EXPECT_EQ(s.Mailbox, saved.Mailbox);
    EXPECT_EQ(s.ScheduleType, saved.ScheduleType);
    EXPECT_EQ(s.Interval, saved.Interval);
    EXPECT_EQ(s.TimeoutC, saved.TimeoutC);
    EXPECT_EQ(s.TimeoutS, saved.TimeoutS);
    EXPECT_EQ(s.AlwaysTop, saved.AlwaysTop);
    EXPECT_EQ(s.ToolMenu, saved.ToolMenu);
    EXPECT_EQ(s.XPos, saved.XPos);
    EXPECT_EQ(s.YPos, saved.YPos);
    EXPECT_EQ(s.SubjectPrefix, saved.SubjectPrefix);
    EXPECT_EQ(s.SubjectPrefixText, saved.SubjectPrefixText);
    EXPECT_EQ(s.FilterExec, saved.FilterExec);
    EXPECT_EQ(s.TimeoutB, saved.TimeoutB);
    EXPECT_EQ(s.Parallel, saved.Parallel);
    EXPECT_EQ(s.ItemMemory, saved.ItemMemory);
    ASSERT_EQ(s.links.size(), saved.links.size());
    for (size_t i = 0; i < s.links.size(); ++i) {
        EXPECT_EQ(s.links[i].enabled, saved.links[i].enabled) << i;
        EXPECT_EQ(s.links[i].url, saved.links[i].url) << i;
        EXPECT_EQ(s.links[i].title, saved.links[i].title) << i;
        EXPECT_EQ(s.links[i].htmlMode, saved.links[i].htmlMode) << i;
        EXPECT_EQ(s.links[i].senderMode, saved.links[i].senderMode) << i;
        EXPECT_EQ(s.links[i].lastRetrieved, saved.links[i].lastRetrieved) << i;
    }
}

TEST_F(SettingsFile, LegacyVersionsAreUpgradedOnLoad) {
    struct Case {
        const char* version;
        int32_t timeoutS;
        int32_t filterExec;
        int32_t htmlMode;
    };
    const Case cases[] = {
        {"1.0", 180, 0, 1},
        {"1.1", 180, 0, 0},
        {"1.2", 60, 1, 1},
        {"", 60, 1, 1},
    };
    for (const Case& c : cases) {
        write(std::string("[Control]\r\nVersion=") + c.version +
              "\r\nTimeoutS=60\r\nFilterExec=1\r\n[Links]\r\nCount=1\r\n0=1|u|t|1|2|0|1\r\n");
        loadSettings(widePath());
        EXPECT_EQ(pluginSettings.TimeoutS, c.timeoutS) << c.version;
        EXPECT_EQ(pluginSettings.FilterExec, c.filterExec) << c.version;
        ASSERT_EQ(pluginSettings.links.size(), 1u) << c.version;
        EXPECT_EQ(pluginSettings.links[0].htmlMode, c.htmlMode) << c.version;
    }
    write("[Control]\r\nVersion=1.0\r\nTimeoutS=300\r\n");
    loadSettings(widePath());
    EXPECT_EQ(pluginSettings.TimeoutS, 300);
}

TEST_F(SettingsFile, LinkLinesFromTheFile) {
    const std::wstring noUrl = throughAnsi(L"(なし)");
    const std::wstring noTitle = throughAnsi(L"(無題)");
    struct Case {
        const char* name;
        std::string links;
        std::vector<std::wstring> titles;
    };
    const Case cases[] = {
        {"missing key takes the default line", "Count=2\r\n0=1|u|First|1|2|0\r\n", {L"First", noTitle}},
        {"short line dropped", "Count=3\r\n0=1|u|A|1|2|0\r\n1=1||B|1|2|0\r\n2=1|u|C|1|2|0\r\n", {L"A", L"C"}},
        {"leading separator", "Count=1\r\n0=|1|u|A|1|2|0\r\n", {L"A"}},
        {"negative count", "Count=-5\r\n0=1|u|A|1|2|0\r\n", {}},
        {"count not a number", "Count=many\r\n0=1|u|A|1|2|0\r\n", {}},
        {"count without lines", "Count=3\r\n", {noTitle, noTitle, noTitle}},
    };
    for (const Case& c : cases) {
        write("[Control]\r\nVersion=1.2\r\n[Links]\r\n" + c.links);
        loadSettings(widePath());
        std::vector<std::wstring> titles;
        for (const LinkEntry& link : pluginSettings.links) titles.push_back(link.title);
        EXPECT_EQ(titles, c.titles) << c.name;
    }
    write("[Links]\r\nCount=1\r\n");
    loadSettings(widePath());
    ASSERT_EQ(pluginSettings.links.size(), 1u);
    const LinkEntry& fallback = pluginSettings.links[0];
    EXPECT_EQ(fallback.enabled, 1);
    EXPECT_EQ(fallback.url, noUrl);
    EXPECT_EQ(fallback.htmlMode, 1);
    EXPECT_EQ(fallback.senderMode, 2);
    EXPECT_EQ(fallback.lastRetrieved, 0);
    if (GetACP() == 932 || GetACP() == 936) {
        EXPECT_EQ(fallback.url, L"(なし)");
        EXPECT_EQ(fallback.title, L"(無題)");
    }
}

TEST_F(SettingsFile, HugeCountIsCappedAndDoesNotHang) {
    write("[Links]\r\nCount=2000000000\r\n0=1|u|A|1|2|0\r\n");
    const DWORD start = GetTickCount();
    loadSettings(widePath());
    EXPECT_EQ(pluginSettings.links.size(), static_cast<size_t>(kMaxLinkLines));
    EXPECT_EQ(pluginSettings.links.front().title, L"A");
    EXPECT_LT(GetTickCount() - start, 30000u);
}

TEST_F(SettingsFile, DamagedFilesLoadAndSaveWithoutHarm) {
    const std::string longTitle(1023 - std::string("1|http://a/||1|2|0").size(), 't');
    const struct {
        const char* name;
        std::string text;
        size_t links;
    } cases[] = {
        {"huge count", "[Links]\r\nCount=99999999999\r\n0=1|u|A|1|2|0\r\n", static_cast<size_t>(kMaxLinkLines)},
        {"negative count", "[Links]\r\nCount=-2147483648\r\n0=1|u|A|1|2|0\r\n", 0},
        {"count not a number", "[Links]\r\nCount=x12\r\n0=1|u|A|1|2|0\r\n", 0},
        {"count without lines", "[Links]\r\nCount=2\r\n", 2},
        {"line of 1023 bytes", "[Links]\r\nCount=1\r\n0=1|http://a/|" + longTitle + "|1|2|0\r\n", 1},
        {"line cut at the buffer", "[Links]\r\nCount=1\r\n0=1|http://a/|" + std::string(3000, 't') + "|1|2|0\r\n", 0},
        {"thousands of separators", "[Links]\r\nCount=1\r\n0=" + std::string(1000, '|') + "\r\n", 0},
        {"separators around fields", "[Links]\r\nCount=1\r\n0=" + std::string(300, '|') + "1|u|t|1|2|0" +
                                         std::string(300, '|') + "\r\n", 1},
        {"bytes invalid in the code page", "[Links]\r\nCount=1\r\n0=1|\x80\xff|\xff|1|2|0\r\n", 1},
        {"lead byte before the line end", "[Links]\r\nCount=1\r\n0=1|u|t|1|2|0\x81\r\n", 1},
        {"not an INI file", std::string("\x7f" "ELF\x01\x00\x00[\x00=\xff\r\x00", 13) + std::string(5000, '\xc3'), 0},
        {"empty file", "", 0},
    };
    for (const auto& c : cases) {
        write(c.text + "\r\n[Other]\r\nKeep=yes\r\n");
        ASSERT_TRUE(loadSettings(widePath())) << c.name;
        EXPECT_EQ(pluginSettings.links.size(), c.links) << c.name;
        ASSERT_TRUE(saveSettings(widePath())) << c.name;
        EXPECT_NE(readFile(ini()).find("[Other]\r\nKeep=yes"), std::string::npos) << c.name;
        ASSERT_TRUE(loadSettings(widePath())) << c.name;
        EXPECT_EQ(pluginSettings.links.size(), c.links) << c.name << " after saving";
    }
}

TEST_F(SettingsFile, ReadOnlyFileStillLoadsAndSaveDoesNoHarm) {
    write("[Control]\r\nVersion=1.2\r\nTimeoutC=33\r\n[Links]\r\nCount=1\r\n0=1|u|A|1|2|0\r\n[Other]\r\nKeep=yes\r\n");
    ASSERT_TRUE(SetFileAttributesA(ini().c_str(), FILE_ATTRIBUTE_READONLY));
    loadSettings(widePath());
    EXPECT_EQ(pluginSettings.TimeoutC, 33);
    pluginSettings.TimeoutC = 44;
    EXPECT_TRUE(saveSettings(widePath()));
    loadSettings(widePath());
    EXPECT_TRUE(pluginSettings.TimeoutC == 33 || pluginSettings.TimeoutC == 44);
    EXPECT_EQ(pluginSettings.links.size(), 1u);
    EXPECT_NE(readFile(ini()).find("Keep=yes"), std::string::npos);
    SetFileAttributesA(ini().c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(SettingsFile, SaveKeepsOtherSectionsAndDropsUnknownKeys) {
    write("[Other]\r\nKeep=yes\r\n[Control]\r\nUnknown=1\r\nVersion=1.2\r\n[Links]\r\nCount=0\r\nStale=x\r\n");
    loadSettings(widePath());
    saveSettings(widePath());
    const std::string text = readFile(ini());
    EXPECT_NE(text.find("[Other]\r\nKeep=yes\r\n"), std::string::npos);
    EXPECT_EQ(text.find("Unknown"), std::string::npos);
    EXPECT_EQ(text.find("Stale"), std::string::npos);
    EXPECT_NE(text.find("Version=1.2"), std::string::npos);
}

TEST_F(SettingsFile, WindowPositionAloneIsWritten) {
    write("[Control]\r\nVersion=1.2\r\nTimeoutC=33\r\nXPos=1\r\n");
    pluginSettings.XPos = 12;
    pluginSettings.YPos = 34;
    pluginSettings.TimeoutC = 99;
    saveWindowPosition(widePath());
    loadSettings(widePath());
    EXPECT_EQ(pluginSettings.XPos, 12);
    EXPECT_EQ(pluginSettings.YPos, 34);
    EXPECT_EQ(pluginSettings.TimeoutC, 33);
}

TEST_F(SettingsFile, ContainsUrlComparesWholeTextsExactly) {
    LinkEntry link;
    link.url = L"http://example.com/Feed";
    pluginSettings.links.push_back(link);
    EXPECT_TRUE(containsUrl(L"http://example.com/Feed"));
    EXPECT_FALSE(containsUrl(L"http://example.com/feed"));
    EXPECT_FALSE(containsUrl(L"http://example.com/Fee"));
    EXPECT_FALSE(containsUrl(L""));
}

TEST_F(SettingsFile, RequestsInFlightKeepParallelBetweenOneAndSixteen) {
    const struct {
        int32_t parallel;
        size_t inFlight;
    } rows[] = {{6, 6}, {1, 1}, {16, 16}, {0, 1}, {-3, 1}, {17, 16}, {INT32_MAX, 16}, {INT32_MIN, 1}};
    for (const auto& row : rows) {
        pluginSettings.Parallel = row.parallel;
        EXPECT_EQ(requestsInFlight(), row.inFlight) << row.parallel;
    }
}

TEST_F(SettingsFile, LinkFitsInALineExactlyWhenItReadsBackWhole) {
    const bool doubleByte = GetACP() == 932 || GetACP() == 936;
    const struct {
        const char* name;
        std::wstring title;  // in "1|http://a/|title|1|2|0", 18 bytes besides the title
        bool fits;
    } cases[] = {
        {"line of 1023 bytes", std::wstring(1005, L't'), true},
        {"line of 1024 bytes", std::wstring(1006, L't'), false},
        {"double-byte characters count two", std::wstring(503, L'\u65e5'), !doubleByte},
    };
    for (const auto& c : cases) {
        LinkEntry link;
        link.url = L"http://a/";
        link.title = c.title;
        EXPECT_EQ(fitsInLinkLine(link), c.fits) << c.name;
        pluginSettings.links = {link};
        saveSettings(widePath());
        loadSettings(widePath());
        const bool readBackWhole = pluginSettings.links.size() == 1 && pluginSettings.links[0].title == throughAnsi(c.title);
        EXPECT_EQ(readBackWhole, c.fits) << c.name;
    }
}

TEST(SettingsCalendar, LastRetrievedInLocalTime) {
    SYSTEMTIME time = {};
    // The tests run with TZ=JST-9: nine hours ahead of UTC, no daylight saving.
    ASSERT_TRUE(toLocalCalendarTime(1700000000, &time));
    EXPECT_EQ(time.wYear, 2023);
    EXPECT_EQ(time.wMonth, 11);
    EXPECT_EQ(time.wDay, 15);
    EXPECT_EQ(time.wDayOfWeek, 3);
    EXPECT_EQ(time.wHour, 7);
    EXPECT_EQ(time.wMinute, 13);
    EXPECT_EQ(time.wSecond, 20);
    EXPECT_EQ(time.wMilliseconds, 0);
    EXPECT_FALSE(toLocalCalendarTime(-100000000000LL, &time));
}

}  // namespace
