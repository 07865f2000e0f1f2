#include "feed/Charset.h"

#include <algorithm>

namespace {

// The name is judged by this many characters after the key word at most.
constexpr size_t kMaxValueLength = 63;

wchar_t toLowerAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool equalNoCase(wchar_t a, wchar_t b) { return toLowerAscii(a) == toLowerAscii(b); }

// The value runs from the key word to the next ">", else to the next line feed, else to the
// end; equals sign and quotes included, so the family letters may stand anywhere in it.
CharsetKind detectAfterKeyWord(std::wstring_view text, std::wstring_view keyWord) {
    const size_t found = ContainsNoCase(text, keyWord);
    if (found == std::wstring_view::npos) return CharsetKind::None;
    std::wstring_view value = text.substr(found + keyWord.size());
    size_t end = value.find(L'>');
    if (end == std::wstring_view::npos) end = value.find(L'\n');
    value = value.substr(0, std::min(end, kMaxValueLength));
    if (ContainsNoCase(value, L"utf") != std::wstring_view::npos) return CharsetKind::Utf8;
    if (ContainsNoCase(value, L"euc") != std::wstring_view::npos) return CharsetKind::EucJp;
    if (ContainsNoCase(value, L"jis") != std::wstring_view::npos) return CharsetKind::Jis;
    return CharsetKind::None;
}

}  // namespace

size_t ContainsNoCase(std::wstring_view text, std::wstring_view word) {
    const auto found = std::search(text.begin(), text.end(), word.begin(), word.end(), equalNoCase);
    if (found == text.end() && !word.empty()) return std::wstring_view::npos;
    return static_cast<size_t>(found - text.begin());
}

CharsetKind DetectXmlEncoding(std::wstring_view head) { return detectAfterKeyWord(head, L"encoding"); }

CharsetKind DetectCharsetParam(std::wstring_view text) { return detectAfterKeyWord(text, L"charset"); }

uint32_t CodePageOf(CharsetKind kind) {
    switch (kind) {
        case CharsetKind::EucJp: return 20932;
        case CharsetKind::Jis: return 932;
        case CharsetKind::None:
        case CharsetKind::Utf8: break;
    }
    return 65001;
}
