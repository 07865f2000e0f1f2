#include "mail/LinkedPage.h"

#include "common/TextConversion.h"
#include "feed/FeedFetcher.h"
#include "feed/HttpRequest.h"
#include "feed/ResponseBody.h"
#include "mail/PageRewrite.h"
#include "settings/Settings.h"

bool prefetchLinkedPage(FeedFetcher& fetcher, const std::wstring& link, LinkedPage& page,
                        const std::atomic<int32_t>* stopRequested) {
    fetcher.lastError.clear();
    try {
        const HttpGetResult response = HttpGet(link, pluginSettings.TimeoutB, 0, HttpMode::Background, stopRequested);
        if (response.outcome != HttpGetResult::Received) return false;
        page.charset = PageCharset(response.body, response.contentType);
        page.bytes = rewritePageLinks(response.body, toAnsi(pageBaseOf(link)), stopRequested);
        return true;
    } catch (...) {
        return false;
    }
}
