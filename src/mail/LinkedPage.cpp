#include "mail/LinkedPage.h"

#include "common/TextConversion.h"
#include "feed/FeedFetcher.h"
#include "feed/ResponseBody.h"
#include "mail/PageRewrite.h"
#include "settings/Settings.h"

PlannedRequest linkedPageRequest(const std::wstring& link) { return {link, pluginSettings.TimeoutB, 0, ""}; }

bool readLinkedPage(FeedFetcher& fetcher, const std::wstring& link, const HttpGetResult& response, LinkedPage& page,
                    const std::atomic<int32_t>* stopRequested) {
    fetcher.lastError.clear();
    try {
        if (response.outcome != HttpGetResult::Received) return false;
        page.charset = PageCharset(response.body, response.contentType);
        page.bytes = rewritePageLinks(response.body, toAnsi(pageBaseOf(link)), stopRequested);
        return true;
    } catch (...) {
        return false;
    }
}
