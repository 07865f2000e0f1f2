#include "feed/Charset.h"

#include <algorithm>

#include "feed/CharsetNames.h"

namespace {

// The name is judged by this many characters after the key word at most.
constexpr size_t kMaxValueLength = 63;

wchar_t toLowerAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool equalNoCase(wchar_t a, wchar_t b) { return toLowerAscii(a) == toLowerAscii(b); }

bool equalsLowerName(std::wstring_view text, std::string_view lowerName) {
    return std::equal(text.begin(), text.end(), lowerName.begin(), lowerName.end(),
                      [](wchar_t c, char lower) { return toLowerAscii(c) == static_cast<unsigned char>(lower); });
}

std::optional<Charset> familyOf(std::wstring_view text) {
    if (ContainsNoCase(text, L"utf") != std::wstring_view::npos) return kUtf8;
    if (ContainsNoCase(text, L"euc") != std::wstring_view::npos) return kEucJp;
    if (ContainsNoCase(text, L"jis") != std::wstring_view::npos) return kShiftJis;
    return std::nullopt;
}

// The name itself in a value such as `="GB2312"?` or `=gbk; x=y`.
std::wstring_view nameIn(std::wstring_view value) {
    const size_t start = value.find_first_not_of(L"= \t\r\n\"'");
    if (start == std::wstring_view::npos) return {};
    value = value.substr(start);
    return value.substr(0, value.find_first_of(L" \t\r\n\"';?>/"));
}

// The value runs from the key word to the next ">", else to the next line feed, else to the
// end; equals sign and quotes included, so the family letters may stand anywhere in it.
std::optional<Charset> detectAfterKeyWord(std::wstring_view text, std::wstring_view keyWord) {
    const size_t found = ContainsNoCase(text, keyWord);
    if (found == std::wstring_view::npos) return std::nullopt;
    std::wstring_view value = text.substr(found + keyWord.size());
    size_t end = value.find(L'>');
    if (end == std::wstring_view::npos) end = value.find(L'\n');
    value = value.substr(0, std::min(end, kMaxValueLength));
    const std::wstring_view name = nameIn(value);
    const std::optional<Charset> named = FindCharset(name);
    // EUC-KR and EUC-CN: "euc" alone would read them as Japanese.
    if (named && familyOf(name)) return named;
    if (const std::optional<Charset> family = familyOf(value)) return family;
    return named;
}

}  // namespace

size_t ContainsNoCase(std::wstring_view text, std::wstring_view word) {
    const auto found = std::search(text.begin(), text.end(), word.begin(), word.end(), equalNoCase);
    if (found == text.end() && !word.empty()) return std::wstring_view::npos;
    return static_cast<size_t>(found - text.begin());
}

std::optional<Charset> FindCharset(std::wstring_view name) {
    for (const CharsetName& entry : kCharsetNames) {
        if (equalsLowerName(name, entry.name)) return entry.charset;
    }
    return std::nullopt;
}

std::optional<Charset> DetectXmlEncoding(std::wstring_view head) { return detectAfterKeyWord(head, L"encoding"); }

std::optional<Charset> DetectCharsetParam(std::wstring_view text) { return detectAfterKeyWord(text, L"charset"); }
