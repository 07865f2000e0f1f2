// DetectXmlEncoding and DetectCharsetParam over arbitrary heads in exactly-sized blocks,
// each against a literal reading of the rule: the first key word (ASCII letters without
// case), the value up to the next ">", else the next line feed, else the end, its first 63
// characters, then "utf", "euc", "jis" in that order.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "feed/Charset.h"
#include "support/FuzzCheck.h"
#include "support/WideText.h"

namespace {

wchar_t lowerAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

size_t findNoCase(std::wstring_view text, std::wstring_view lowerWord) {
    for (size_t at = 0; at + lowerWord.size() <= text.size(); ++at) {
        size_t matched = 0;
        while (matched < lowerWord.size() && lowerAscii(text[at + matched]) == lowerWord[matched]) ++matched;
        if (matched == lowerWord.size()) return at;
    }
    return std::wstring_view::npos;
}

CharsetKind literalKind(std::wstring_view text, std::wstring_view keyWord) {
    const size_t found = findNoCase(text, keyWord);
    if (found == std::wstring_view::npos) return CharsetKind::None;
    const std::wstring_view rest = text.substr(found + keyWord.size());
    size_t end = rest.find(L'>');
    if (end == std::wstring_view::npos) end = rest.find(L'\n');
    if (end == std::wstring_view::npos) end = rest.size();
    const std::wstring value(rest.substr(0, end < 63 ? end : 63));
    if (findNoCase(value, L"utf") != std::wstring_view::npos) return CharsetKind::Utf8;
    if (findNoCase(value, L"euc") != std::wstring_view::npos) return CharsetKind::EucJp;
    if (findNoCase(value, L"jis") != std::wstring_view::npos) return CharsetKind::Jis;
    return CharsetKind::None;
}

std::string kindDetail(const char* function, CharsetKind got, CharsetKind want) {
    return std::string(function) + " gave " + std::to_string(static_cast<int>(got)) + ", the rule " +
           std::to_string(static_cast<int>(want));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring wide = wideTextOf(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::unique_ptr<wchar_t[]> block(new wchar_t[wide.size()]);
    wide.copy(block.get(), wide.size());
    const std::wstring_view head(block.get(), wide.size());
    const CharsetKind xml = DetectXmlEncoding(head);
    const CharsetKind xmlRule = literalKind(head, L"encoding");
    FUZZ_CHECK(xml == xmlRule, kindDetail("DetectXmlEncoding", xml, xmlRule));
    const CharsetKind param = DetectCharsetParam(head);
    const CharsetKind paramRule = literalKind(head, L"charset");
    FUZZ_CHECK(param == paramRule, kindDetail("DetectCharsetParam", param, paramRule));
    return 0;
}
