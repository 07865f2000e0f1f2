#include "feed/XmlDeclaration.h"

namespace {

constexpr wchar_t kByteOrderMark = 0xFEFF;

bool isXmlSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

size_t skipXmlSpace(std::wstring_view text, size_t pos) {
    while (pos < text.size() && isXmlSpace(text[pos])) ++pos;
    return pos;
}

// Where the white space before ` encoding="..."` starts and its quoted value ends inside
// `declaration`; false when the declaration names no encoding in that form.
bool findEncoding(std::wstring_view declaration, size_t& begin, size_t& end) {
    for (size_t name = declaration.find(L"encoding"); name != std::wstring_view::npos;
         name = declaration.find(L"encoding", name + 1)) {
        if (name == 0 || !isXmlSpace(declaration[name - 1])) continue;
        size_t pos = skipXmlSpace(declaration, name + 8);
        if (pos >= declaration.size() || declaration[pos] != L'=') continue;
        pos = skipXmlSpace(declaration, pos + 1);
        if (pos >= declaration.size() || (declaration[pos] != L'"' && declaration[pos] != L'\'')) continue;
        const size_t close = declaration.find(declaration[pos], pos + 1);
        if (close == std::wstring_view::npos) return false;
        begin = name;
        while (begin > 0 && isXmlSpace(declaration[begin - 1])) --begin;
        end = close + 1;
        return true;
    }
    return false;
}

}  // namespace

void EraseEncodingDeclaration(std::wstring& text) {
    const size_t start = (!text.empty() && text.front() == kByteOrderMark) ? 1 : 0;
    const std::wstring_view opening = L"<?xml";
    if (text.compare(start, opening.size(), opening) != 0) return;
    const size_t afterOpening = start + opening.size();
    if (afterOpening >= text.size() || !isXmlSpace(text[afterOpening])) return;  // <?xml-stylesheet
    const size_t close = text.find(L"?>", afterOpening);
    if (close == std::wstring::npos) return;
    size_t begin = 0, end = 0;
    const std::wstring_view declaration = std::wstring_view(text).substr(afterOpening, close - afterOpening);
    if (findEncoding(declaration, begin, end)) text.erase(afterOpening + begin, end - begin);
}
