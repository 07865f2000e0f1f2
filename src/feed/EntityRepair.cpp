#include "feed/EntityRepair.h"

#include <type_traits>

#include "feed/HtmlEntities.h"

namespace {

constexpr size_t kNone = std::wstring_view::npos;

// By value, so that the tests below mean the same whatever the width and signedness of
// wchar_t; every code unit from 0x80 up counts as a name character, as XML's letters do.
using CodeUnit = std::make_unsigned_t<wchar_t>;

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool isHexDigit(wchar_t c) { return isDigit(c) || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F'); }
bool isNameStart(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_' || c == L':' ||
           static_cast<CodeUnit>(c) >= 0x80;
}
bool isNameCharacter(wchar_t c) { return isNameStart(c) || isDigit(c) || c == L'-' || c == L'.'; }

bool isXmlEntity(std::wstring_view name) {
    return name == L"amp" || name == L"lt" || name == L"gt" || name == L"quot" || name == L"apos";
}

bool startsWith(std::wstring_view text, size_t pos, std::wstring_view part) {
    return text.compare(pos, part.size(), part) == 0;
}

// Just after the first `delimiter` from `pos`; the end of the text when there is none.
size_t after(std::wstring_view text, size_t pos, std::wstring_view delimiter) {
    const size_t found = text.find(delimiter, pos);
    return found == kNone ? text.size() : found + delimiter.size();
}

size_t afterQuoted(std::wstring_view text, size_t quote) {
    return after(text, quote + 1, text.substr(quote, 1));
}

size_t afterInternalSubset(std::wstring_view text, size_t pos) {
    while (pos < text.size()) {
        const wchar_t c = text[pos];
        if (c == L']') return pos + 1;
        if (c == L'"' || c == L'\'') {
            pos = afterQuoted(text, pos);
        } else if (startsWith(text, pos, L"<!--")) {
            pos = after(text, pos + 4, L"-->");
        } else if (startsWith(text, pos, L"<?")) {
            pos = after(text, pos + 2, L"?>");
        } else {
            ++pos;
        }
    }
    return pos;
}

// The DOCTYPE declaration stays whole: its literals hold no references, and what its
// internal subset declares is the document's own business.
size_t afterDoctype(std::wstring_view text, size_t pos, bool& internalSubset) {
    while (pos < text.size()) {
        const wchar_t c = text[pos];
        if (c == L'>') return pos + 1;
        if (c == L'"' || c == L'\'') {
            pos = afterQuoted(text, pos);
        } else if (c == L'[') {
            internalSubset = true;
            pos = afterInternalSubset(text, pos + 1);
        } else {
            ++pos;
        }
    }
    return pos;
}

// Past the markup that starts at the '<' at `pos` when its content is no business of the
// repair; just past the '<' otherwise.
size_t afterMarkup(std::wstring_view text, size_t pos, bool& internalSubset) {
    if (startsWith(text, pos, L"<!--")) return after(text, pos + 4, L"-->");
    if (startsWith(text, pos, L"<![CDATA[")) return after(text, pos + 9, L"]]>");
    if (startsWith(text, pos, L"<?")) return after(text, pos + 2, L"?>");
    if (startsWith(text, pos, L"<!DOCTYPE")) return afterDoctype(text, pos + 9, internalSubset);
    return pos + 1;
}

// Just after the ';' of "&#digits;" or "&#xhex;" at `ampersand`; kNone when it is not one.
size_t afterNumericReference(std::wstring_view text, size_t ampersand) {
    size_t pos = ampersand + 2;
    const bool hex = pos < text.size() && text[pos] == L'x';
    if (hex) ++pos;
    const size_t digits = pos;
    while (pos < text.size() && (hex ? isHexDigit(text[pos]) : isDigit(text[pos]))) ++pos;
    return pos > digits && pos < text.size() && text[pos] == L';' ? pos + 1 : kNone;
}

// What an '&' starts: a reference ending just before `end`, to keep (no entity) or to
// replace by the entity's numeric references; `end` is kNone for a lone '&'.
struct Reference {
    size_t end;
    const HtmlEntity* entity;
};

Reference referenceAt(std::wstring_view text, size_t ampersand, bool internalSubset) {
    const size_t start = ampersand + 1;
    if (start < text.size() && text[start] == L'#') return {afterNumericReference(text, ampersand), nullptr};
    if (start >= text.size() || !isNameStart(text[start])) return {kNone, nullptr};
    size_t semicolon = start;
    while (semicolon < text.size() && isNameCharacter(text[semicolon])) ++semicolon;
    if (semicolon >= text.size() || text[semicolon] != L';') return {kNone, nullptr};
    const std::wstring_view name = text.substr(start, semicolon - start);
    if (isXmlEntity(name)) return {semicolon + 1, nullptr};
    if (const HtmlEntity* entity = FindHtmlEntity(name)) return {semicolon + 1, entity};
    return {internalSubset ? semicolon + 1 : kNone, nullptr};
}

// Calls `repair(begin, end, entity)` for each piece of `text` to replace, in order: the
// reference to `entity`, or with a null entity the lone '&' at `begin`.
template <typename Repair>
void forEachRepair(std::wstring_view text, Repair repair) {
    bool internalSubset = false;
    size_t pos = 0;
    while ((pos = text.find_first_of(L"<&", pos)) != kNone) {
        if (text[pos] == L'<') {
            pos = afterMarkup(text, pos, internalSubset);
            continue;
        }
        const Reference reference = referenceAt(text, pos, internalSubset);
        if (reference.end == kNone) {
            repair(pos, pos + 1, nullptr);
            ++pos;
        } else {
            if (reference.entity) repair(pos, reference.end, reference.entity);
            pos = reference.end;
        }
    }
}

size_t referenceLength(char32_t codePoint) {
    size_t digits = 1;
    while (codePoint >= 10) {
        codePoint /= 10;
        ++digits;
    }
    return digits + 3;  // "&#" and ";"
}

size_t replacementLength(const HtmlEntity* entity) {
    if (!entity) return 5;  // "&amp;"
    return referenceLength(entity->first) + (entity->second ? referenceLength(entity->second) : 0);
}

// Decimal, so that no character beyond ASCII has to be written.
void appendReference(std::wstring& text, char32_t codePoint) {
    wchar_t digits[10];
    size_t count = 0;
    do {
        digits[count++] = static_cast<wchar_t>(L'0' + codePoint % 10);
        codePoint /= 10;
    } while (codePoint != 0);
    text += L"&#";
    while (count > 0) text += digits[--count];
    text += L';';
}

}  // namespace

std::optional<std::wstring> RepairEntityReferences(std::wstring_view text, size_t maxLength) {
    // Measured first, so that the repaired text is allocated once at its size.
    bool changed = false;
    size_t length = text.size();
    forEachRepair(text, [&](size_t begin, size_t end, const HtmlEntity* entity) {
        changed = true;
        length = length - (end - begin) + replacementLength(entity);
    });
    if (!changed || length > maxLength) return std::nullopt;

    std::wstring repaired;
    repaired.reserve(length);
    size_t copied = 0;
    forEachRepair(text, [&](size_t begin, size_t end, const HtmlEntity* entity) {
        repaired.append(text.substr(copied, begin - copied));
        if (entity) {
            appendReference(repaired, entity->first);
            if (entity->second) appendReference(repaired, entity->second);
        } else {
            repaired += L"&amp;";
        }
        copied = end;
    });
    repaired.append(text.substr(copied));
    return repaired;
}
