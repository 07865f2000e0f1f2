#include "feed/RequestQueue.h"

#include <gtest/gtest.h>

#include <future>
#include <map>
#include <set>

#include "support/TestServer.h"

namespace {

constexpr int32_t kLongTimeoutSeconds = 30;
// Requests that should have arrived have had this long; no more may come within it.
constexpr DWORD kSettleMs = 400;
// A stop ends the waits at once; this leaves room for a loaded machine, yet a wait that went
// on to its next one-second step would mostly take longer.
constexpr ULONGLONG kPromptMs = 500;

class RequestQueueTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.running()); }

    // Each request on the host after the one before it, from 1 to `hosts`.
    std::vector<PlannedRequest> requestsOverHosts(const std::string& pathAndQuery, size_t count, int hosts) {
        std::vector<PlannedRequest> requests;
        for (size_t i = 0; i < count; ++i) {
            requests.push_back({server.url(pathAndQuery + "&n=" + std::to_string(i), static_cast<int>(i) % hosts + 1),
                                kLongTimeoutSeconds, 0, ""});
        }
        return requests;
    }

    // Waits until the log holds `count` requests and then holds still for a while.
    size_t settledRequestCount(size_t count) {
        const ULONGLONG deadline = GetTickCount64() + 10000;
        while (server.requestLog().size() < count && GetTickCount64() < deadline) Sleep(20);
        Sleep(kSettleMs);
        return server.requestLog().size();
    }

    TestServer server;
    HttpSession session;
};

TEST_F(RequestQueueTest, AtMostInFlightRequestsGoAndTwoToAHost) {
    const struct Row {
        const char* name;
        size_t inFlight;
        size_t requests;
        int hosts;
        size_t expectedGoing;
    } rows[] = {
        {"six over three hosts", 6, 9, 3, 6},
        {"six to one host", 6, 6, 1, 2},
        {"sixteen over three hosts", 16, 12, 3, 6},
        {"four over three hosts", 4, 9, 3, 4},
        {"sequential", 1, 3, 3, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const size_t before = server.requestLog().size();
        std::atomic<int32_t> stopRequested{0};
        const ScopedHandle stopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        ULONGLONG stoppedAt = 0;
        {
            RequestQueue queue(session, requestsOverHosts("/x?hang=1", row.requests, row.hosts), row.inFlight,
                               StopSignal{&stopRequested, stopEvent.get()});
            auto first = std::async(std::launch::async, [&] { return queue.take(0); });
            EXPECT_EQ(settledRequestCount(before + row.expectedGoing), before + row.expectedGoing);
            std::map<std::string, size_t> perHost;
            const auto log = server.requestLog();
            for (size_t i = before; i < log.size(); ++i) ++perHost[log[i].header("Host").value_or("")];
            for (const auto& [host, count] : perHost) EXPECT_LE(count, kRequestsPerHost) << host;

            stoppedAt = GetTickCount64();
            stopRequested = 1;
            SetEvent(stopEvent.get());
            EXPECT_EQ(first.get().failure, HttpFailure::Stopped);
        }
        EXPECT_LE(GetTickCount64() - stoppedAt, kPromptMs);
        // The requests that the stop found unstarted were never sent.
        EXPECT_EQ(server.requestLog().size(), before + row.expectedGoing);
    }
}

TEST_F(RequestQueueTest, RequestsToAHostReuseAKeptAliveConnection) {
    std::vector<PlannedRequest> requests;
    for (int i = 0; i < 4; ++i) requests.push_back({server.url("/x?body=" + std::to_string(i)), 5, 0, ""});
    {
        RequestQueue queue(session, std::move(requests), 1, StopSignal{});
        for (size_t i = 0; i < 4; ++i) EXPECT_EQ(queue.take(i).body, std::to_string(i));
    }
    std::set<std::string> connections;
    for (const LoggedRequest& request : server.requestLog()) connections.insert(request.connection);
    EXPECT_EQ(connections.size(), 1u);
}

}  // namespace
