#pragma once
// The byte work of putting a fetched web page into a mail: relative src and href values in
// "<a", "<link" and "<img" tags made absolute against the page's host, and embed, object
// and applet elements dropped. Everything else of the page is copied unchanged, so the page
// keeps its own encoding.
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

// "http://" + the host part of the first "http://" in `link` (scheme case-sensitive),
// without a trailing slash; empty when no "/" follows the host. The caller converts the
// result to the ANSI code page before handing it to `rewritePageLinks`.
std::wstring pageBaseOf(std::wstring_view link);

// The page with its links rewritten against `base`, in one pass of linear cost however
// hostile the page. Once `*stopRequested` is non-zero the scan ends and the output so far
// is the result.
std::string rewritePageLinks(std::string_view page, std::string_view base,
                             const std::atomic<int32_t>* stopRequested = nullptr);
