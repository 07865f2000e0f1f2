#include "feed/HttpRequest.h"

#include <gtest/gtest.h>

#include <thread>

#include "support/ProcessMemory.h"
#include "support/TestServer.h"

namespace {

constexpr HttpMode kBothModes[] = {HttpMode::Foreground, HttpMode::Background};
constexpr int64_t kLastRetrieved = 1700000000;
const std::string kFeed = std::string("<rss version=\"2.0\"><channel/></rss>\r\n\0\xff\x80", 42);

const char* modeName(HttpMode mode) { return mode == HttpMode::Foreground ? "foreground" : "background"; }

class HttpGetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server = new TestServer;
        server->writeFile("feed.xml", kFeed);
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }

    // The logged request whose path and query is `pathAndQuery`.
    static LoggedRequest loggedRequest(const std::string& pathAndQuery) {
        for (const LoggedRequest& request : server->requestLog()) {
            if (request.pathAndQuery == pathAndQuery) return request;
        }
        ADD_FAILURE() << "no request for " << pathAndQuery;
        return {};
    }

    static TestServer* server;
};

TestServer* HttpGetTest::server = nullptr;

struct Elapsed {
    ULONGLONG start = GetTickCount64();
    ULONGLONG ms() const { return GetTickCount64() - start; }
};

TEST_F(HttpGetTest, AnswersBecomeOutcomes) {
    struct Row {
        const char* name;
        const char* pathAndQuery;
        int64_t ifModifiedSince;
        HttpGetResult::Outcome outcome;
        std::string body;
        std::wstring contentType;
    };
    const Row rows[] = {
        {"file with charset", "/feed.xml?type=text%2Fxml%3Bcharset%3DEUC-JP", 0, HttpGetResult::Received, kFeed,
         L"text/xml;charset=EUC-JP"},
        {"no content type", "/feed.xml", 0, HttpGetResult::Received, kFeed, L""},
        {"error page", "/gone?status=404&body=gone&type=text%2Fhtml", 0, HttpGetResult::Received, "gone",
         L"text/html"},
        {"missing file", "/missing.xml", 0, HttpGetResult::Received, "", L""},
        {"server error", "/feed.xml?status=500", 0, HttpGetResult::Received, kFeed, L""},
        {"304 to a conditional request", "/feed.xml?ims304=1&type=text%2Fxml", kLastRetrieved,
         HttpGetResult::NotModified, "", L""},
        {"200 to a conditional request", "/feed.xml?type=text%2Fxml", kLastRetrieved, HttpGetResult::Received, kFeed,
         L"text/xml"},
        {"304 without a condition is not looked at", "/x?status=304", 0, HttpGetResult::Received, "", L""},
        {"redirect followed", "/old?redirect=%2Ffeed.xml%3Ftype%3Dapplication%252Frss%252Bxml", 0,
         HttpGetResult::Received, kFeed, L"application/rss+xml"},
        {"empty body", "/x?body=&type=text%2Fplain", 0, HttpGetResult::Received, "", L"text/plain"},
        {"204 without body", "/feed.xml?status=204", 0, HttpGetResult::Received, "", L""},
        {"closed before its Content-Length", "/feed.xml?cut=10", 0, HttpGetResult::Failed, "", L""},
        {"status code not a number", "/feed.xml?statusline=HTTP%2F1.1%20abc%20OK", 0, HttpGetResult::Failed, "",
         L""},
    };
    for (const Row& row : rows) {
        for (HttpMode mode : kBothModes) {
            SCOPED_TRACE(std::string(row.name) + ", " + modeName(mode));
            const HttpGetResult result = HttpGet(server->url(row.pathAndQuery), 5, row.ifModifiedSince, "", mode);
            EXPECT_EQ(result.outcome, row.outcome);
            EXPECT_EQ(result.body, row.body);
            EXPECT_EQ(result.contentType, row.contentType);
        }
    }
}

TEST_F(HttpGetTest, SendsTheUserAgentAndTheConditionalDate) {
    struct Row {
        int64_t ifModifiedSince;
        std::optional<std::string> header;
    };
    const Row rows[] = {
        {kLastRetrieved, "Tue, 14 Nov 2023 22:13:20 +0000"},
        {1, "Thu, 01 Jan 1970 00:00:01 +0000"},
        {0, std::nullopt},
    };
    int n = 0;
    for (const Row& row : rows) {
        for (HttpMode mode : kBothModes) {
            const std::string pathAndQuery = "/feed.xml?request=" + std::to_string(++n);
            SCOPED_TRACE(pathAndQuery + ", " + modeName(mode));
            HttpGet(server->url(pathAndQuery), 5, row.ifModifiedSince, "", mode);
            const LoggedRequest request = loggedRequest(pathAndQuery);
            EXPECT_EQ(request.header("User-Agent"), std::optional<std::string>("Mirvel! Feedwick/1.2"));
            EXPECT_EQ(request.header("Accept-Encoding"), std::optional<std::string>("gzip, deflate"));
            EXPECT_EQ(request.header("If-Modified-Since"), row.header);
        }
    }
}

// The server tags files with "etag" or a digest of the body, and answers 304 to a request
// whose If-None-Match names that tag.
TEST_F(HttpGetTest, EntityTagsMakeConditionalRequests) {
    const std::string tagged = "/feed.xml?etag=%22v2%22";
    struct Row {
        const char* name;
        int64_t ifModifiedSince;
        std::string ifNoneMatch;
        std::optional<std::string> sent;
        HttpGetResult::Outcome outcome;
    };
    const Row rows[] = {
        {"matching tag", 0, "\"v2\"", "\"v2\"", HttpGetResult::NotModified},
        {"matching tag and a date", kLastRetrieved, "\"v2\"", "\"v2\"", HttpGetResult::NotModified},
        {"another tag", 0, "\"v1\"", "\"v1\"", HttpGetResult::Received},
        {"no tag", 0, "", std::nullopt, HttpGetResult::Received},
        {"a line break keeps the tag back", 0, "\"v2\"\r\nX-Added: 1", std::nullopt, HttpGetResult::Received},
    };
    int n = 0;
    for (const Row& row : rows) {
        for (HttpMode mode : kBothModes) {
            const std::string pathAndQuery = tagged + "&request=" + std::to_string(++n);
            SCOPED_TRACE(std::string(row.name) + ", " + modeName(mode));
            const HttpGetResult result =
                HttpGet(server->url(pathAndQuery), 5, row.ifModifiedSince, row.ifNoneMatch, mode);
            EXPECT_EQ(result.outcome, row.outcome);
            EXPECT_EQ(result.status, row.outcome == HttpGetResult::NotModified ? 304u : 200u);
            EXPECT_EQ(result.etag, "\"v2\"");
            EXPECT_EQ(result.body, row.outcome == HttpGetResult::Received ? kFeed : "");
            const LoggedRequest request = loggedRequest(pathAndQuery);
            EXPECT_EQ(request.header("If-None-Match"), row.sent);
            EXPECT_FALSE(request.header("X-Added"));
        }
    }
    const std::string digestTag = HttpGet(server->url("/feed.xml"), 5, 0, "", HttpMode::Background).etag;
    EXPECT_EQ(HttpGet(server->url("/feed.xml"), 5, 0, digestTag, HttpMode::Background).outcome,
              HttpGetResult::NotModified);
}

TEST_F(HttpGetTest, FailuresSayWhatWentWrong) {
    const std::string pastCap = std::to_string(kMaxResponseBodyBytes + 1);
    struct Row {
        const char* name;
        std::wstring url;
        HttpMode mode;
        HttpFailure failure;
        DWORD errorCode;
    };
    const Row rows[] = {
        {"time-out", server->url("/feed.xml?hang=1"), HttpMode::Background, HttpFailure::TimedOut, 0},
        {"time-out, foreground", server->url("/feed.xml?hang=1"), HttpMode::Foreground, HttpFailure::TimedOut, 0},
        {"refused", L"http://127.0.0.1:1/feed.xml", HttpMode::Background, HttpFailure::Network,
         ERROR_WINHTTP_CANNOT_CONNECT},
        {"body cut off", server->url("/feed.xml?cut=10"), HttpMode::Background, HttpFailure::Network,
         ERROR_WINHTTP_CONNECTION_ERROR},
        {"too large", server->url("/x?size=" + pastCap), HttpMode::Background, HttpFailure::TooLarge, 0},
        {"inflates past the cap", server->url("/x?encoding=gzip&size=" + pastCap), HttpMode::Foreground,
         HttpFailure::TooLarge, 0},
        {"unknown coding", server->url("/feed.xml?encoding=br"), HttpMode::Background, HttpFailure::BadEncoding, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // The hanging server is given one second, the others time enough.
        const int32_t timeoutSeconds = row.failure == HttpFailure::TimedOut ? 1 : 30;
        const HttpGetResult result = HttpGet(row.url, timeoutSeconds, 0, "", row.mode);
        EXPECT_EQ(result.outcome, HttpGetResult::Failed);
        EXPECT_EQ(result.failure, row.failure);
        EXPECT_EQ(result.errorCode, row.errorCode);
    }
    const std::atomic<int32_t> stopRequested{1};
    const HttpGetResult stopped =
        HttpGet(server->url("/feed.xml?hang=1"), 15, 0, "", HttpMode::Background, &stopRequested);
    EXPECT_EQ(stopped.failure, HttpFailure::Stopped);
}

TEST_F(HttpGetTest, GivesUpOnASlowServerAfterTheTimeout) {
    struct Row {
        const char* name;
        const char* pathAndQuery;
        HttpMode mode;
    };
    const Row rows[] = {
        {"silent, foreground", "/feed.xml?hang=1", HttpMode::Foreground},
        {"silent, background", "/feed.xml?hang=1", HttpMode::Background},
        // The one-second steps count the whole exchange, not the quiet spells in it.
        {"dripping, background", "/x?size=100&drip=0.2", HttpMode::Background},
    };
    constexpr int32_t timeoutSeconds = 2;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Elapsed elapsed;
        EXPECT_EQ(HttpGet(server->url(row.pathAndQuery), timeoutSeconds, 0, "", row.mode).outcome,
                  HttpGetResult::Failed);
        EXPECT_GE(elapsed.ms(), 1500u);
        EXPECT_LE(elapsed.ms(), timeoutSeconds * 1000u + 3000u);
    }
}

TEST_F(HttpGetTest, StopRequestEndsABackgroundRequest) {
    struct Row {
        const char* name;
        const char* pathAndQuery;
        HttpMode mode;
        DWORD stopAfterMs;
        HttpGetResult::Outcome outcome;
    };
    const Row rows[] = {
        {"hanging", "/feed.xml?hang=1", HttpMode::Background, 500, HttpGetResult::Failed},
        {"dripping", "/x?size=100&drip=0.2", HttpMode::Background, 1200, HttpGetResult::Failed},
        {"stop already requested", "/feed.xml", HttpMode::Background, 0, HttpGetResult::Failed},
        {"foreground does not look", "/feed.xml", HttpMode::Foreground, 0, HttpGetResult::Received},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::atomic<int32_t> stopRequested{row.stopAfterMs == 0};
        ULONGLONG stoppedAt = GetTickCount64();
        std::thread stopper([&] {
            if (row.stopAfterMs == 0) return;
            Sleep(row.stopAfterMs);
            stoppedAt = GetTickCount64();
            stopRequested = 1;
        });
        const HttpGetResult result = HttpGet(server->url(row.pathAndQuery), 15, 0, "", row.mode, &stopRequested);
        const ULONGLONG endedAt = GetTickCount64();
        stopper.join();
        EXPECT_EQ(result.outcome, row.outcome);
        EXPECT_LE(endedAt - stoppedAt, 2500u);
    }
}

TEST_F(HttpGetTest, BodiesOverTheCapFail) {
    struct Row {
        size_t size;
        HttpMode mode;
        HttpGetResult::Outcome outcome;
    };
    const Row rows[] = {
        {kMaxResponseBodyBytes + 1, HttpMode::Background, HttpGetResult::Failed},
        {kMaxResponseBodyBytes + 1, HttpMode::Foreground, HttpGetResult::Failed},
        {kMaxResponseBodyBytes, HttpMode::Background, HttpGetResult::Received},
        {kMaxResponseBodyBytes - 100001, HttpMode::Foreground, HttpGetResult::Received},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.size) + ", " + modeName(row.mode));
        const HttpGetResult result = HttpGet(server->url("/x?size=" + std::to_string(row.size)), 30, 0, "", row.mode);
        EXPECT_EQ(result.outcome, row.outcome);
        if (row.outcome != HttpGetResult::Received) continue;
        EXPECT_EQ(result.body.size(), row.size);
        EXPECT_TRUE(result.body == generatedBody(row.size));
    }
}

TEST_F(HttpGetTest, CompressedBodiesDecodeOrFail) {
    const std::string cap = std::to_string(kMaxResponseBodyBytes);
    const std::string pastCap = std::to_string(kMaxResponseBodyBytes + 1);
    struct Row {
        const char* name;
        std::string pathAndQuery;
        std::optional<std::string> body;  // none: Failed
    };
    const Row rows[] = {
        {"gzip", "/feed.xml?encoding=gzip", kFeed},
        {"zlib-wrapped deflate", "/feed.xml?encoding=deflate", kFeed},
        {"raw deflate", "/feed.xml?encoding=rawdeflate", kFeed},
        {"x-gzip", "/feed.xml?encoding=gzip&encoding-header=x-gzip", kFeed},
        {"identity", "/feed.xml?encoding=identity", kFeed},
        {"error page", "/gone?status=404&body=gone&encoding=gzip", "gone"},
        {"inflates to the cap", "/x?encoding=deflate&size=" + cap, generatedBody(kMaxResponseBodyBytes)},
        {"inflates one byte past the cap", "/x?encoding=gzip&size=" + pastCap, std::nullopt},
        {"truncated gzip", "/feed.xml?encoding=gzip&truncate-compressed=4", std::nullopt},
        {"truncated deflate", "/x?size=100000&encoding=rawdeflate&truncate-compressed=100", std::nullopt},
        {"unknown coding", "/feed.xml?encoding=br", std::nullopt},
        {"plain body called gzip", "/feed.xml?encoding-header=gzip", std::nullopt},
        {"gzip called deflate", "/feed.xml?encoding=gzip&encoding-header=deflate", std::nullopt},
    };
    for (const Row& row : rows) {
        for (HttpMode mode : kBothModes) {
            SCOPED_TRACE(std::string(row.name) + ", " + modeName(mode));
            const HttpGetResult result = HttpGet(server->url(row.pathAndQuery), 30, 0, "", mode);
            EXPECT_EQ(result.outcome, row.body ? HttpGetResult::Received : HttpGetResult::Failed);
            EXPECT_TRUE(result.body == row.body.value_or("")) << result.body.size() << " bytes";
        }
    }
}

TEST_F(HttpGetTest, ACompressionBombFailsAtTheCapAtOnce) {
    // 1 GiB of zeros in 1 MiB of gzip: inflating it, or even taking all of it in, would
    // cost seconds and commit hundreds of MiB.
    constexpr size_t kBombBytes = 1024u * 1024u * 1024u;
    constexpr size_t kPeakToleranceBytes = 64u * 1024u * 1024u;
    for (HttpMode mode : kBothModes) {
        SCOPED_TRACE(modeName(mode));
        const size_t peakBefore = currentMemoryUse().peakWorkingSetBytes;
        const Elapsed elapsed;
        EXPECT_EQ(HttpGet(server->url("/x?bomb=" + std::to_string(kBombBytes)), 30, 0, "", mode).outcome,
                  HttpGetResult::Failed);
        EXPECT_LE(elapsed.ms(), 1500u);
        EXPECT_LE(currentMemoryUse().peakWorkingSetBytes, peakBefore + kPeakToleranceBytes);
    }
}

TEST_F(HttpGetTest, UnreachableAndMalformedUrlsFail) {
    const std::wstring urls[] = {
        L"http://127.0.0.1:1/feed.xml",  // nothing listens there
        L"",
        L"feed.xml",
        L"not a url",
        L"http://",
        L"http:///feed.xml",
        L"http://127.0.0.1:99999/feed.xml",
        L"ftp://127.0.0.1/feed.xml",
        L"file:///C:/feed.xml",
        L"mailto:someone@example.com",
    };
    for (const std::wstring& url : urls) {
        for (HttpMode mode : kBothModes) {
            SCOPED_TRACE(::testing::Message() << modeName(mode) << ", " << url);
            const Elapsed elapsed;
            EXPECT_EQ(HttpGet(url, 5, 0, "", mode).outcome, HttpGetResult::Failed);
            EXPECT_LE(elapsed.ms(), 3000u);
        }
    }
}

}  // namespace
