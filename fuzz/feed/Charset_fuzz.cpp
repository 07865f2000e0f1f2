// DetectXmlEncoding, DetectCharsetParam and FindCharset over arbitrary heads in exactly-sized
// blocks. Each detection is checked against a literal reading of the rule: the first key
// word (ASCII letters without case), the value up to the next ">", else the next line feed,
// else the end, its first 63 characters; a name in the table that holds family letters is
// the table's, else "utf", "euc", "jis" anywhere in the value in that order, else the
// table's charset of the name, else none. Every answer is a family's or a table entry's
// charset, and none changes when the ASCII letters change case.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "feed/Charset.h"
#include "feed/CharsetNames.h"
#include "support/FuzzCheck.h"
#include "support/WideText.h"

namespace {

wchar_t lowerAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }
wchar_t upperAscii(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

std::wstring mapped(std::wstring_view text, wchar_t (*map)(wchar_t)) {
    std::wstring result(text);
    for (wchar_t& c : result) c = map(c);
    return result;
}

size_t findNoCase(std::wstring_view text, std::wstring_view lowerWord) {
    for (size_t at = 0; at + lowerWord.size() <= text.size(); ++at) {
        size_t matched = 0;
        while (matched < lowerWord.size() && lowerAscii(text[at + matched]) == lowerWord[matched]) ++matched;
        if (matched == lowerWord.size()) return at;
    }
    return std::wstring_view::npos;
}

std::optional<Charset> literalFamily(std::wstring_view text) {
    if (findNoCase(text, L"utf") != std::wstring_view::npos) return kUtf8;
    if (findNoCase(text, L"euc") != std::wstring_view::npos) return kEucJp;
    if (findNoCase(text, L"jis") != std::wstring_view::npos) return kShiftJis;
    return std::nullopt;
}

std::optional<Charset> literalLookup(std::wstring_view name) {
    for (const CharsetName& entry : kCharsetNames) {
        if (entry.name.size() != name.size()) continue;
        size_t i = 0;
        while (i < name.size() && lowerAscii(name[i]) == static_cast<wchar_t>(entry.name[i])) ++i;
        if (i == name.size()) return entry.charset;
    }
    return std::nullopt;
}

bool isOneOf(wchar_t c, std::wstring_view set) { return set.find(c) != std::wstring_view::npos; }

std::optional<Charset> literalCharset(std::wstring_view text, std::wstring_view keyWord) {
    const size_t found = findNoCase(text, keyWord);
    if (found == std::wstring_view::npos) return std::nullopt;
    const std::wstring_view rest = text.substr(found + keyWord.size());
    size_t end = rest.find(L'>');
    if (end == std::wstring_view::npos) end = rest.find(L'\n');
    if (end == std::wstring_view::npos) end = rest.size();
    const std::wstring value(rest.substr(0, end < 63 ? end : 63));
    size_t start = 0;
    while (start < value.size() && isOneOf(value[start], L"= \t\r\n\"'")) ++start;
    size_t stop = start;
    while (stop < value.size() && !isOneOf(value[stop], L" \t\r\n\"';?>/")) ++stop;
    const std::wstring name = value.substr(start, stop - start);
    const std::optional<Charset> named = literalLookup(name);
    if (named && literalFamily(name)) return named;
    if (const std::optional<Charset> family = literalFamily(value)) return family;
    return named;
}

bool same(const std::optional<Charset>& a, const std::optional<Charset>& b) {
    if (!a || !b) return !a && !b;
    return a->codePage == b->codePage && a->name == b->name;
}

bool isKnown(const std::optional<Charset>& charset) {
    if (!charset || same(charset, kUtf8) || same(charset, kEucJp) || same(charset, kShiftJis)) return true;
    for (const CharsetName& entry : kCharsetNames) {
        if (same(charset, entry.charset)) return true;
    }
    return false;
}

std::string describe(const std::optional<Charset>& charset) {
    return charset ? std::to_string(charset->codePage) + " " + std::string(charset->name) : "none";
}

std::string detail(const char* what, const std::optional<Charset>& got, const std::optional<Charset>& want) {
    return std::string(what) + " gave " + describe(got) + ", expected " + describe(want);
}

void checkDetection(const char* what, std::optional<Charset> (*detect)(std::wstring_view), std::wstring_view head,
                    std::wstring_view keyWord) {
    const std::optional<Charset> charset = detect(head);
    const std::optional<Charset> rule = literalCharset(head, keyWord);
    FUZZ_CHECK(same(charset, rule), detail(what, charset, rule));
    FUZZ_CHECK(isKnown(charset), detail(what, charset, rule));
    const std::optional<Charset> upper = detect(mapped(head, upperAscii));
    FUZZ_CHECK(same(upper, charset), detail(what, upper, charset));
    const std::optional<Charset> lower = detect(mapped(head, lowerAscii));
    FUZZ_CHECK(same(lower, charset), detail(what, lower, charset));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring wide = wideTextOf(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::unique_ptr<wchar_t[]> block(new wchar_t[wide.size()]);
    wide.copy(block.get(), wide.size());
    const std::wstring_view head(block.get(), wide.size());
    checkDetection("DetectXmlEncoding", DetectXmlEncoding, head, L"encoding");
    checkDetection("DetectCharsetParam", DetectCharsetParam, head, L"charset");
    // The whole input as a name, for the table's case folding.
    const std::optional<Charset> named = FindCharset(head);
    FUZZ_CHECK(same(named, literalLookup(head)), detail("FindCharset", named, literalLookup(head)));
    const std::optional<Charset> upper = FindCharset(mapped(head, upperAscii));
    FUZZ_CHECK(same(upper, named), detail("FindCharset in upper case", upper, named));
    return 0;
}
