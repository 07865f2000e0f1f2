#pragma once
// Subscribing to the feeds an OPML document lists.
#include <cstdint>
#include <string>

#include "feed/HttpRequest.h"

// Fetches `url` and, when it is an OPML document, appends to `pluginSettings.links` a link
// for every outline at any depth under its body that names a new feed, in document order.
// False when the fetch failed or the document is no OPML; `links` is then unchanged and
// `pluginSettings.importErrorText` holds the XML load error or is empty. Blocks the caller.
// When `htmlPage` is given and the answer is an HTML page, it receives that answer, so that
// the caller can look into the page without fetching it again.
bool importOpml(const std::wstring& url, int32_t timeoutSeconds, HttpGetResult* htmlPage = nullptr);
