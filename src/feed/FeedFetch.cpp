#include <windows.h>

#include <new>
#include <utility>

#include "feed/FeedFetcher.h"
#include "feed/HttpRequest.h"

namespace {

// The wait cursor for a foreground fetch, with the previous cursor back on every way out.
class WaitCursor {
public:
    explicit WaitCursor(bool show) : previous_(show ? SetCursor(LoadCursorW(nullptr, IDC_WAIT)) : nullptr) {}
    ~WaitCursor() {
        if (previous_) SetCursor(previous_);
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

}  // namespace

bool FeedFetcher::Fetch(const std::wstring& url, int32_t lastRetrieved, int32_t htmlMode, int32_t timeoutSeconds,
                        int32_t senderMode, bool foreground) {
    lastError.clear();
    const WaitCursor cursor(foreground);
    try {
        HttpGetResult response = HttpGet(url, timeoutSeconds, lastRetrieved,
                                         foreground ? HttpMode::Foreground : HttpMode::Background, stopRequested_);
        switch (response.outcome) {
            case HttpGetResult::Failed: return false;
            case HttpGetResult::NotModified: return true;
            case HttpGetResult::Received: break;
        }
        return ReadFeedBody(std::move(response.body), response.contentType, lastRetrieved, htmlMode, senderMode);
    } catch (const std::bad_alloc&) {
        return false;
    }
}
