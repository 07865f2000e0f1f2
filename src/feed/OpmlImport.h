#pragma once
// Subscribing to the feeds an OPML document lists.
#include <cstdint>
#include <string>

// Fetches `url` and, when it is an OPML document, appends to `pluginSettings.links` a link
// for every outline at any depth under its body that names a new feed, in document order.
// False when the fetch failed or the document is no OPML; `links` is then unchanged and
// `pluginSettings.importErrorText` holds the XML load error or is empty. Blocks the caller.
bool importOpml(const std::wstring& url, int32_t timeoutSeconds);
