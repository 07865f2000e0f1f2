#pragma once
// The complete Internet message of one feed item, built from UTF-8 bytes: headers with
// base64 encoded words and an HTML body. Portable; the caller converts the item's texts
// to UTF-8 and hands the result to the client.
#include <cstdint>
#include <string>
#include <string_view>

#include "feed/Charset.h"
#include "settings/HtmlMode.h"

// The views must stay valid during `composeMailText`.
struct MailParts {
    int64_t date = 0;            // seconds since 1970 UTC; written in +0900
    std::string_view sender;     // UTF-8 display text of From
    std::string_view subject;    // UTF-8
    std::string_view link;       // UTF-8; the closing anchor and, percent-encoded, the Message-Id
    std::string_view body;       // UTF-8 item text; not used in HtmlPrefetchLink
    int32_t htmlMode = HtmlNormal;  // other values than the three give an empty body
    // HtmlPrefetchLink: whether the page was fetched. When not, the body is the time-out
    // notice; after a failure on a stop request the caller composes no mail at all.
    bool pageFetched = false;
    std::string_view page;       // the fetched page with its links rewritten, in its own encoding
    // The charset the page names, whose name labels the mail when it carries the page.
    Charset pageCharset = kUtf8;
};

// The message text, each line ended by CR LF; the body ends at its first NUL byte.
std::string composeMailText(const MailParts& parts);
