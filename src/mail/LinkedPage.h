#pragma once
// The web page behind an item, fetched for a link in prefetch mode.
#include <atomic>
#include <cstdint>
#include <string>

#include "feed/Charset.h"

class FeedFetcher;

struct LinkedPage {
    std::string bytes;  // the page in its own encoding, links made absolute
    Charset charset = kUtf8;  // named by its head, else by its Content-Type
};

// Fetches `link` in the background within `TimeoutB` and rewrites its links. False when the
// request failed, timed out or was stopped through `*stopRequested`. Empties the fetcher's
// `lastError`.
bool prefetchLinkedPage(FeedFetcher& fetcher, const std::wstring& link, LinkedPage& page,
                        const std::atomic<int32_t>* stopRequested);
