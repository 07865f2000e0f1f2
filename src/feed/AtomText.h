#pragma once
// Atom's text constructs (titles, summaries, contents): what their type attribute says of
// the text, and that text as a mail body wants it (HTML) or a subject (plain text).
#include <string>
#include <string_view>

enum class AtomTextType {
    Text,   // "text", no type, or a text media type other than HTML: plain text
    Html,   // "html" or text/html: HTML, escaped once for XML
    Xhtml,  // "xhtml" or application/xhtml+xml: XHTML elements inside the construct
    Other,  // any other media type: base64, XML of its own vocabulary, nothing a mail shows
};

// Names and media types compare without regard to case; media type parameters are ignored.
AtomTextType AtomTextTypeOf(std::wstring_view typeAttribute);

// Plain text as HTML that shows it: &, <, >, " and ' become references, and line breaks
// stay as they are, so that the line-break mode still finds them.
std::wstring EscapeHtmlText(std::wstring_view text);

// The text that HTML shows: tags and comments dropped, character references decoded, white
// space as written. A '<' that starts no tag, an unclosed tag and an '&' that starts no
// reference stay as text.
std::wstring HtmlToPlainText(std::wstring_view html);
