// Feeds over HTTPS from the test server's ports, one per kind of certificate. Only the tests'
// own Wine prefix trusts the test authority; the fetch never turns a certificate check off.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>

#include "common/TextConversion.h"
#include "feed/FeedFetcher.h"
#include "settings/Settings.h"
#include "support/FeedDocuments.h"
#include "support/TestServer.h"

namespace {

constexpr int32_t kTimeoutSeconds = 5;
constexpr ULONGLONG kSlackMs = 1500;

std::string percentEncoded(const std::wstring& url) {
    std::string encoded;
    for (const char c : toAnsi(url)) {
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-') {
            encoded += c;
        } else {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", static_cast<unsigned char>(c));
            encoded += escape;
        }
    }
    return encoded;
}

class HttpsFetch : public ::testing::Test {
protected:
    static void SetUpTestSuite() { authorityTrusted = trustTestAuthority(); }
    void SetUp() override {
        ASSERT_TRUE(authorityTrusted) << "the test authority (FEEDWICK_TEST_CERTIFICATES) could not be trusted";
        ASSERT_TRUE(server.running());
        pluginSettings = PluginSettings{};
        server.writeFile("feed.xml",
                         rss2("Secure", item("Only item", "http://example.com/1", "Tue, 14 Nov 2023 10:00:00 +0000",
                                             "text")));
    }

    bool requested(const std::string& pathAndQuery) const {
        for (const LoggedRequest& request : server.requestLog()) {
            if (request.pathAndQuery == pathAndQuery) return true;
        }
        return false;
    }

    static bool authorityTrusted;
    TestServer server;
};

bool HttpsFetch::authorityTrusted = false;

TEST_F(HttpsFetch, OnlyAValidCertificateDelivers) {
    struct Row {
        const char* name;
        TlsPort port;
        bool fromHttp;  // reached through a redirect from the plain port
        const char* query;
        bool fetched;
    };
    const Row rows[] = {
        {"valid", TlsPort::Valid, false, "", true},
        {"valid, gzip", TlsPort::Valid, false, "&encoding=gzip", true},
        {"redirect from http", TlsPort::Valid, true, "", true},
        {"wrong host", TlsPort::WrongHost, false, "", false},
        {"expired", TlsPort::Expired, false, "", false},
        {"unknown authority", TlsPort::UnknownAuthority, false, "", false},
        {"redirect from http to an unknown authority", TlsPort::UnknownAuthority, true, "", false},
    };
    int n = 0;
    for (const Row& row : rows) {
        for (const bool foreground : {true, false}) {
            SCOPED_TRACE(std::string(row.name) + (foreground ? ", foreground" : ", background"));
            const std::string pathAndQuery = "/feed.xml?request=" + std::to_string(++n) + row.query;
            const std::wstring secureUrl = server.httpsUrl(row.port, pathAndQuery);
            const std::wstring url =
                row.fromHttp ? server.url("/old?redirect=" + percentEncoded(secureUrl)) : secureUrl;
            FeedFetcher fetcher;
            const ULONGLONG start = GetTickCount64();
            EXPECT_EQ(fetcher.Fetch(url, 0, HtmlNormal, kTimeoutSeconds, SenderOnly, foreground), row.fetched);
            EXPECT_LE(GetTickCount64() - start, kTimeoutSeconds * 1000u + kSlackMs);
            EXPECT_EQ(fetcher.items.size(), row.fetched ? 1u : 0u);
            // A refused certificate ends the exchange before the request is sent.
            EXPECT_EQ(requested(pathAndQuery), row.fetched);
        }
    }
}

}  // namespace
