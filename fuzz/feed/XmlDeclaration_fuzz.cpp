// EraseEncodingDeclaration over arbitrary documents in exactly-sized blocks. Checked: the
// result is the document with at most one piece taken out, and that piece is, inside the
// XML declaration at the start, white space followed by encoding, an optional blank-framed
// "=", and a quoted value; the declaration keeps its "<?xml" opening and its "?>".
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "feed/XmlDeclaration.h"
#include "support/FuzzCheck.h"
#include "support/WideText.h"

namespace {

bool isXmlSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

std::string narrowed(std::wstring_view text) {
    std::string bytes;
    for (wchar_t c : text) bytes += c < 0x80 ? static_cast<char>(c) : '?';
    return bytes;
}

// White space, "encoding", optional white space, "=", optional white space, a quoted value.
bool isEncodingAttribute(std::wstring_view piece) {
    size_t at = 0;
    while (at < piece.size() && isXmlSpace(piece[at])) ++at;
    if (at == 0 || piece.compare(at, 8, L"encoding") != 0) return false;
    at += 8;
    while (at < piece.size() && isXmlSpace(piece[at])) ++at;
    if (at >= piece.size() || piece[at] != L'=') return false;
    ++at;
    while (at < piece.size() && isXmlSpace(piece[at])) ++at;
    if (at + 2 > piece.size() || (piece[at] != L'"' && piece[at] != L'\'')) return false;
    return piece.back() == piece[at] && piece.find(piece[at], at + 1) == piece.size() - 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring wide = wideTextOf(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::unique_ptr<wchar_t[]> block(new wchar_t[wide.size()]);
    wide.copy(block.get(), wide.size());
    const std::wstring_view text(block.get(), wide.size());
    std::wstring result(text);
    EraseEncodingDeclaration(result);
    if (result == text) return 0;

    const std::string detail = narrowed(text) + "\n  became " + narrowed(result);
    FUZZ_CHECK(result.size() < text.size(), detail);
    const size_t removed = text.size() - result.size();
    size_t prefix = 0;
    while (prefix < result.size() && result[prefix] == text[prefix]) ++prefix;
    size_t suffix = 0;
    while (suffix < result.size() && result[result.size() - 1 - suffix] == text[text.size() - 1 - suffix]) ++suffix;
    // Cutting `removed` characters at any position from result.size() - suffix to prefix
    // gives the result; one of those cuts must be the attribute.
    FUZZ_CHECK(result.size() - suffix <= prefix, detail);
    const size_t start = !text.empty() && text.front() == 0xFEFF ? 1 : 0;
    FUZZ_CHECK(text.compare(start, 5, L"<?xml") == 0 && start + 5 < text.size() && isXmlSpace(text[start + 5]),
               detail);
    const size_t close = text.find(L"?>", start + 5);
    FUZZ_CHECK(close != std::wstring_view::npos, detail);
    bool attributeCut = false;
    for (size_t cut = result.size() - suffix; cut <= prefix && !attributeCut; ++cut) {
        attributeCut = cut >= start + 5 && cut + removed <= close && isEncodingAttribute(text.substr(cut, removed));
    }
    FUZZ_CHECK(attributeCut, detail);
    FUZZ_CHECK(result.compare(start, 5, L"<?xml") == 0 && result.find(L"?>", start + 5) != std::wstring::npos,
               detail);
    return 0;
}
