#include <windows.h>

#include <utility>

#include "common/Handles.h"
#include "feed/FeedFetcher.h"
#include "feed/HttpRequest.h"

bool FeedFetcher::Fetch(const std::wstring& url, int64_t lastRetrieved, int32_t htmlMode, int32_t timeoutSeconds,
                        int32_t senderMode, bool foreground) {
    const WaitCursor cursor(foreground);
    return ReadResponse(HttpGet(url, timeoutSeconds, lastRetrieved, "",
                                foreground ? HttpMode::Foreground : HttpMode::Background, stopRequested_),
                        url, lastRetrieved, htmlMode, senderMode);
}

namespace {

FetchResult failureResult(const HttpGetResult& response) {
    switch (response.failure) {
        case HttpFailure::TimedOut: return {0, FetchOutcome::TimedOut, 0, {}};
        case HttpFailure::TooLarge: return {0, FetchOutcome::TooLarge, 0, {}};
        case HttpFailure::BadEncoding: return {0, FetchOutcome::BadEncoding, 0, {}};
        case HttpFailure::None:
        case HttpFailure::Stopped:
        case HttpFailure::Network: break;
    }
    return {0, FetchOutcome::NetworkError, response.errorCode, {}};
}

bool isSuccessStatus(uint32_t status) { return status >= 200 && status <= 299; }

}  // namespace

// A body that is no feed is told by the status that came with it, when that was no success.
bool FeedFetcher::ReadResponse(HttpGetResult response, const std::wstring& url, int64_t lastRetrieved,
                               int32_t htmlMode, int32_t senderMode, const ItemMemoryRule& memory) {
    lastError.clear();
    documentKeys.clear();
    switch (response.outcome) {
        case HttpGetResult::Failed: lastResult = failureResult(response); return false;
        case HttpGetResult::NotModified: lastResult = {0, FetchOutcome::NotModified, 0, {}}; return true;
        case HttpGetResult::Received: break;
    }
    const uint32_t status = response.status;
    if (ReadFeedBody(std::move(response.body), response.contentType, url, lastRetrieved, htmlMode, senderMode, memory)) {
        return true;
    }
    if (!isSuccessStatus(status)) lastResult = {0, FetchOutcome::HttpStatus, status, {}};
    return false;
}
