#include "feed/FeedFetcher.h"

#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include "settings/Settings.h"
#include "support/FeedDocuments.h"
#include "support/TestServer.h"

namespace {

constexpr int32_t kLastRetrieved = 1136000000;  // before every item of the test feeds
const std::wregex kLoadError(L"XML読み込みエラー\\([\\s\\S]*\\)\\(行:[0-9]+\\)");

class FeedFetch : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server = new TestServer;
        server->writeFile("rss20.xml", readFile(testDataPath("feeds/rss20.xml")));
        server->writeFile("sjis.xml", readFile(testDataPath("feeds/japanese.undeclared.shift_jis.xml")));
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override { pluginSettings = PluginSettings{}; }

    // A fetcher holding the items and title of an earlier link.
    static void readEarlierLink(FeedFetcher& fetcher) {
        ASSERT_TRUE(fetcher.Fetch(server->url("/rss20.xml"), 0, HtmlNormal, 5, SubjectWithSender, false));
        ASSERT_EQ(fetcher.items.size(), 5u);
    }

    static TestServer* server;
};

TestServer* FeedFetch::server = nullptr;

TEST_F(FeedFetch, AnswersBecomeResults) {
    const struct {
        const char* name;
        const char* pathAndQuery;
        int32_t lastRetrieved;
        bool result;
        size_t newItems;
        std::wstring feedTitle;  // empty: the earlier link's stays
        bool explained;
    } cases[] = {
        {"feed", "/rss20.xml?type=text%2Fxml", kLastRetrieved, true, 5, L"中文博客", false},
        {"Shift_JIS with charset", "/sjis.xml?type=text%2Fxml%3B%20charset%3DShift_JIS", 0, true, 1,
         L"日本語の表示テスト", false},
        {"not modified", "/rss20.xml?ims304=1", kLastRetrieved, true, 0, L"", false},
        {"404 HTML page", "/gone?status=404&type=text%2Fhtml&body=%3Chtml%3E%3Cbody%3EGone%3Cbr%3E%3C%2Fbody%3E%3C%2Fhtml%3E",
         0, false, 0, L"", true},
        {"404 without body", "/missing.xml", 0, false, 0, L"", true},
        {"nothing listening", nullptr, 0, false, 0, L"", false},
    };
    for (const auto& c : cases) {
        FeedFetcher fetcher;
        readEarlierLink(fetcher);
        fetcher.feedTitle = L"earlier";
        fetcher.lastError = L"stale";
        const std::wstring url = c.pathAndQuery ? server->url(c.pathAndQuery) : L"http://127.0.0.1:1/feed.xml";
        EXPECT_EQ(fetcher.Fetch(url, c.lastRetrieved, HtmlNormal, 5, SubjectWithSender, false), c.result) << c.name;
        EXPECT_EQ(fetcher.items.size(), 5u + c.newItems) << c.name;
        EXPECT_EQ(fetcher.feedTitle, c.feedTitle.empty() ? L"earlier" : c.feedTitle) << c.name;
        EXPECT_TRUE(c.explained ? std::regex_match(fetcher.lastError, kLoadError) : fetcher.lastError.empty())
            << c.name << ": " << fetcher.lastError;
    }
}

TEST_F(FeedFetch, TimeOutAndStopEndABackgroundFetch) {
    const struct {
        const char* name;
        DWORD stopAfterMs;  // 0: no stop, the two-second time-out ends it
        ULONGLONG maxMs;
    } cases[] = {
        {"time-out", 0, 6000},
        {"stop", 300, 3000},
    };
    for (const auto& c : cases) {
        std::atomic<int32_t> stopRequested{0};
        FeedFetcher fetcher(&stopRequested);
        readEarlierLink(fetcher);
        const ULONGLONG start = GetTickCount64();
        std::thread stopper([&] {
            if (c.stopAfterMs == 0) return;
            Sleep(c.stopAfterMs);
            stopRequested = 1;
        });
        EXPECT_FALSE(fetcher.Fetch(server->url("/rss20.xml?hang=1"), 0, HtmlNormal, 2, SubjectWithSender, false))
            << c.name;
        stopper.join();
        EXPECT_LE(GetTickCount64() - start, c.maxMs) << c.name;
        EXPECT_EQ(fetcher.items.size(), 5u) << c.name;
        EXPECT_EQ(fetcher.feedTitle, L"中文博客") << c.name;
    }
}

// The address fetched is the base of the feed's relative links.
TEST_F(FeedFetch, RelativeLinksResolveAgainstTheFeedAddress) {
    server->writeFile("relative.xml", rss2("Relative", item("One", "posts/1.html", "Mon, 02 Jan 2006", "x")));
    FeedFetcher fetcher;
    ASSERT_TRUE(fetcher.Fetch(server->url("/relative.xml?type=text%2Fxml"), 0, HtmlNormal, 5, SenderOnly, false));
    ASSERT_EQ(fetcher.items.size(), 1u);
    EXPECT_EQ(fetcher.items[0].link, server->url("/posts/1.html"));
}

// Dialog checks run in the foreground: they ignore the run's stop flag and give the
// previous cursor back however they end.
TEST_F(FeedFetch, ForegroundRestoresTheCursor) {
    const HCURSOR cross = LoadCursorW(nullptr, IDC_CROSS);
    const struct {
        const char* name;
        const char* pathAndQuery;
        bool result;
    } cases[] = {
        {"feed", "/rss20.xml", true},
        {"broken", "/x?body=%3Crss%3E", false},
        {"no feed", "/x?body=%3Copml%2F%3E", false},
    };
    const std::atomic<int32_t> stopRequested{1};
    for (const auto& c : cases) {
        FeedFetcher fetcher(&stopRequested);
        SetCursor(cross);
        EXPECT_EQ(fetcher.Fetch(server->url(c.pathAndQuery), 0, HtmlNormal, 8, SenderOnly, true), c.result) << c.name;
        EXPECT_EQ(GetCursor(), cross) << c.name;
    }
}

}  // namespace
