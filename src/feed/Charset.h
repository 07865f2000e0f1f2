#pragma once
// The three encoding families the plug-in tells apart in XML declarations, Content-Type
// values and HTML heads; everything else is read as UTF-8.
#include <cstddef>
#include <cstdint>
#include <string_view>

enum class CharsetKind : int32_t {
    None = 0,   // no family named; decoded as UTF-8
    Utf8 = 1,   // "utf" in the name, UTF-16 included
    EucJp = 2,  // "euc"
    Jis = 3,    // "jis": Shift_JIS
};

// First position of `word` in `text`, ASCII letters compared without case; npos when none.
size_t ContainsNoCase(std::wstring_view text, std::wstring_view word);

// The family named after the first "encoding" in the head of a document.
CharsetKind DetectXmlEncoding(std::wstring_view head);

// The family named after the first "charset" in a Content-Type value or an HTML head.
CharsetKind DetectCharsetParam(std::wstring_view text);

// The code page a family is decoded with. Shift_JIS is code page 932 whatever the system's
// ANSI code page is.
uint32_t CodePageOf(CharsetKind kind);
