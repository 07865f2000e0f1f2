#pragma once
// The end of a run: every collected item becomes a mail in the chosen Inbox.
#include <cstdint>
#include <string>

class FeedFetcher;
class HttpSession;
struct FeedItem;
struct LinkedPage;

// The mail of one item. `page` is the prefetched page of an item in prefetch mode, null when
// it could not be fetched.
std::string itemMailText(const FeedItem& item, const LinkedPage* page);

// Composes and hands to the client each of the fetcher's items, in order, showing
// "[i/n]" progress. The pages of prefetch-mode items are requested on `session` ahead of
// their items. False when it ended early: the run's `TimeoutS` budget, counted from
// `runStart`, was spent before an item, or a page prefetch failed on a stop request.
bool deliverItems(FeedFetcher& fetcher, const HttpSession& session, const std::wstring& inboxFolderId,
                  int64_t runStart);
