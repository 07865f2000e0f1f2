#pragma once
// The charset a document names in its XML declaration, a Content-Type value or an HTML head,
// and the Windows code page that decodes it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

struct Charset {
    uint32_t codePage;      // what MultiByteToWideChar decodes it with
    std::string_view name;  // its canonical name, the label of a mail that carries its bytes
};

// The three families told apart by letters in the name, and the default.
inline constexpr Charset kUtf8{65001, "UTF-8"};
inline constexpr Charset kEucJp{20932, "EUC-JP"};
inline constexpr Charset kShiftJis{932, "Shift_JIS"};  // whatever the ANSI code page is

// First position of `word` in `text`, ASCII letters compared without case; npos when none.
size_t ContainsNoCase(std::wstring_view text, std::wstring_view word);

// The charset of a name or alias from the table of names, compared without case; none for
// a name Windows cannot decode or that the family letters decide.
std::optional<Charset> FindCharset(std::wstring_view name);

// The charset named after the first "encoding" in the head of a document; none when there
// is no such word or the name is unknown.
std::optional<Charset> DetectXmlEncoding(std::wstring_view head);

// The charset named after the first "charset" in a Content-Type value or an HTML head.
std::optional<Charset> DetectCharsetParam(std::wstring_view text);
