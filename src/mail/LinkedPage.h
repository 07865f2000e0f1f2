#pragma once
// The web page behind an item, fetched for a link in prefetch mode.
#include <atomic>
#include <cstdint>
#include <string>

#include "feed/Charset.h"
#include "feed/HttpRequest.h"
#include "feed/RequestQueue.h"

class FeedFetcher;

struct LinkedPage {
    std::string bytes;  // the page in its own encoding, links made absolute
    Charset charset = kUtf8;  // named by its head, else by its Content-Type
};

// The request that prefetches `link`: unconditional, within `TimeoutB`.
PlannedRequest linkedPageRequest(const std::wstring& link);

// What a prefetch makes of `response`, the answer to its request for `link`: false when the
// request failed, timed out or was stopped, otherwise the page with its links rewritten
// (cut short once `*stopRequested` is set). Empties the fetcher's `lastError`.
bool readLinkedPage(FeedFetcher& fetcher, const std::wstring& link, const HttpGetResult& response, LinkedPage& page,
                    const std::atomic<int32_t>* stopRequested);
