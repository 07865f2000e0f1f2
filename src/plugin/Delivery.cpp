#include "plugin/Delivery.h"

#include <windows.h>

#include <optional>

#include "common/HostApi.h"
#include "common/TextConversion.h"
#include "feed/FeedFetcher.h"
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

// The item's mail; none when its page prefetch failed on a stop request, which ends delivery.
std::optional<std::string> composeItemMail(FeedFetcher& fetcher, const FeedItem& item) {
    LinkedPage page;
    const bool prefetch = item.htmlMode == HtmlPrefetchLink;
    const bool pageFetched = prefetch && prefetchLinkedPage(fetcher, item.link, page, &runState.stopRequested);
    if (prefetch && !pageFetched && runState.stopRequested) return std::nullopt;
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

bool deliverItems(FeedFetcher& fetcher, const std::wstring& inboxFolderId, int32_t runStart) {
    const std::string folder = toAnsi(inboxFolderId);
    const size_t count = fetcher.items.size();
    for (size_t i = 0; i < count; ++i) {
        if (!runBudgetLeft(runStart, pluginSettings.TimeoutS)) return false;
        const std::optional<std::string> mail = composeItemMail(fetcher, fetcher.items[i]);
        if (!mail) return false;
        hostApi.SetMessageText(nullptr, progressText(i + 1, count).c_str());
        hostApi.AppendMessage(folder.c_str(), mail->c_str());
    }
    return true;
}
