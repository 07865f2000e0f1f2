#include "plugin/Delivery.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "common/HostApi.h"
#include "common/TextConversion.h"
#include "feed/FeedFetcher.h"
#include "feed/RequestQueue.h"
#include "mail/LinkedPage.h"
#include "mail/MailText.h"
#include "plugin/Plugin.h"
#include "common/RunState.h"
#include "resources/resource.h"
#include "settings/Settings.h"

namespace {

std::string toUtf8(const std::wstring& text) { return toMultiByte(text, CP_UTF8); }

// "Feedwick:正在保存到收件箱 [3/10]"
std::string progressText(size_t position, size_t count) {
    return toAnsi(loadPluginString(IDS_STATUS_SAVING) + L" [" + std::to_wstring(position) + L"/" +
                  std::to_wstring(count) + L"]");
}

// The page requests of the prefetch-mode items, in delivery order.
std::vector<PlannedRequest> pageRequests(const std::vector<FeedItem>& items) {
    std::vector<PlannedRequest> requests;
    for (const FeedItem& item : items) {
        if (item.htmlMode == HtmlPrefetchLink) requests.push_back(linkedPageRequest(item.link));
    }
    return requests;
}

// The item's mail; none when its page prefetch failed on a stop request, which ends delivery.
// A prefetch-mode item takes the next of the page requests.
std::optional<std::string> composeItemMail(FeedFetcher& fetcher, const FeedItem& item, RequestQueue& pages,
                                           size_t& nextPage) {
    if (item.htmlMode != HtmlPrefetchLink) return itemMailText(item, nullptr);
    LinkedPage page;
    const bool pageFetched = readLinkedPage(fetcher, item.link, pages.take(nextPage++), page, &runState.stopRequested);
    if (!pageFetched && runState.stopRequested) return std::nullopt;
    return itemMailText(item, pageFetched ? &page : nullptr);
}

}  // namespace

std::string itemMailText(const FeedItem& item, const LinkedPage* page) {
    const std::string sender = toUtf8(item.sender);
    const std::string subject = toUtf8(item.subject);
    const std::string link = toUtf8(item.link);
    const std::string body = toUtf8(item.body);
    MailParts parts;
    parts.date = item.date;
    parts.sender = sender;
    parts.subject = subject;
    parts.link = link;
    parts.body = body;
    parts.htmlMode = item.htmlMode;
    parts.pageFetched = page != nullptr;
    if (page) {
        parts.page = page->bytes;
        parts.pageCharset = page->charset;
    }
    return composeMailText(parts);
}

bool deliverItems(FeedFetcher& fetcher, const HttpSession& session, const std::wstring& inboxFolderId,
                  int64_t runStart) {
    const std::string folder = toAnsi(inboxFolderId);
    const size_t count = fetcher.items.size();
    RequestQueue pages(session, pageRequests(fetcher.items), requestsInFlight(), runStopSignal());
    size_t nextPage = 0;
    for (size_t i = 0; i < count; ++i) {
        if (!runBudgetLeft(runStart, pluginSettings.TimeoutS)) return false;
        const std::optional<std::string> mail = composeItemMail(fetcher, fetcher.items[i], pages, nextPage);
        if (!mail) return false;
        hostApi.SetMessageText(nullptr, progressText(i + 1, count).c_str());
        hostApi.AppendMessage(folder.c_str(), mail->c_str());
    }
    return true;
}
