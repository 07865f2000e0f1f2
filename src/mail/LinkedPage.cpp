#include "mail/LinkedPage.h"

#include "common/TextConversion.h"
#include "feed/FeedFetcher.h"
#include "feed/ResponseBody.h"
#include "mail/PageRewrite.h"
#include "settings/Settings.h"

namespace {

// The page's own meta charset first, then the server's, then UTF-8.
Charset pageCharset(const HttpGetResult& response) {
    std::optional<Charset> charset = DetectCharsetParam(ResponseHead(response.body));
    if (!charset) charset = DetectCharsetParam(response.contentType);
    return charset.value_or(kUtf8);
}

}  // namespace

PlannedRequest linkedPageRequest(const std::wstring& link) { return {link, pluginSettings.TimeoutB, 0}; }

bool readLinkedPage(FeedFetcher& fetcher, const std::wstring& link, const HttpGetResult& response, LinkedPage& page,
                    const std::atomic<int32_t>* stopRequested) {
    fetcher.lastError.clear();
    try {
        if (response.outcome != HttpGetResult::Received) return false;
        page.charset = pageCharset(response);
        page.bytes = rewritePageLinks(response.body, toAnsi(pageBaseOf(link)), stopRequested);
        return true;
    } catch (...) {
        return false;
    }
}
