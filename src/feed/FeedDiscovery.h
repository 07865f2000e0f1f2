#pragma once
// The feed a web page names in its head (<link rel="alternate" type="application/rss+xml">),
// for a dropped page address. Portable: it reads untrusted text.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// True for a Content-Type of text/html or application/xhtml+xml, and, without a
// Content-Type, for a body that starts with "<!DOCTYPE html" or "<html" (letters in any
// case; blanks and a UTF-8 byte order mark before it allowed).
bool IsHtmlPage(std::wstring_view contentType, std::string_view body);

// What the head of a page says about its feed; the views point into the scanned text.
struct PageHeadLinks {
    // The href of the first <link> whose rel holds the token "alternate" and whose type is
    // an RSS, Atom or RDF type; as written, character references and blanks included.
    std::optional<std::wstring_view> feedHref;
    // The href of the first <base> that has one, as written.
    std::optional<std::wstring_view> baseHref;
    // Just past the tag name of the "</head" or "<body" that ended the head (and the
    // character that ended that name): nothing after it counts. npos when the text ended first.
    size_t headEnd = std::wstring_view::npos;
};

// One forward pass over the page up to the end of its head, in time linear in what it
// reads. Comments, declarations and the text of script, style, title and the like are
// skipped; a tag that the text cuts off before its ">" counts for nothing.
PageHeadLinks ScanPageHead(std::wstring_view page);

// An attribute value as HTML reads it: numeric and named character references ("&amp;",
// "&#47;") replaced, blanks at both ends removed.
std::wstring AttributeValueText(std::wstring_view raw);

// The absolute address of the feed the page names, resolved against a <base> in its head
// and `pageUrl`; empty when the head names none.
std::wstring FindFeedUrl(std::wstring_view page, std::wstring_view pageUrl);
