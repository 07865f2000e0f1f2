#pragma once
// The end of a run: every collected item becomes a mail in the chosen Inbox.
#include <cstdint>
#include <string>

class FeedFetcher;

// Composes and hands to the client each of the fetcher's items, in order, showing
// "[i/n]" progress. False when it ended early: the run's `TimeoutS` budget, counted from
// `runStart`, was spent before an item, or a page prefetch failed on a stop request.
bool deliverItems(FeedFetcher& fetcher, const std::wstring& inboxFolderId, int32_t runStart);
