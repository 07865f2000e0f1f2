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

bool FeedFetcher::ReadResponse(HttpGetResult response, const std::wstring& url, int64_t lastRetrieved,
                               int32_t htmlMode, int32_t senderMode) {
    lastError.clear();
    switch (response.outcome) {
        case HttpGetResult::Failed: return false;
        case HttpGetResult::NotModified: return true;
        case HttpGetResult::Received: break;
    }
    return ReadFeedBody(std::move(response.body), response.contentType, url, lastRetrieved, htmlMode, senderMode);
}
