// RepairEntityReferences over arbitrary text. Checked: the result differs from the text
// only in replaced references, each a lone '&' written "&amp;" or an HTML entity written as
// its numeric references, none inside a comment, CDATA section, processing instruction or
// the DOCTYPE declaration; outside those every '&' of the result starts a reference XML
// reads (XML's five entities, numeric ones, and after an internal subset any other name);
// a text in which every '&' already starts one of XML's own references comes back
// unchanged; a second repair changes nothing; the length limit holds exactly.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "feed/EntityRepair.h"
#include "feed/HtmlEntities.h"
#include "support/FuzzCheck.h"
#include "support/WideText.h"

namespace {

constexpr size_t kNone = std::wstring_view::npos;

std::string narrowed(std::wstring_view text) {
    std::string bytes;
    for (wchar_t c : text) bytes += c > 0 && c < 0x80 ? static_cast<char>(c) : '?';
    return bytes;
}

// Where the repair must not look, told apart one character at a time by an automaton over
// the markup's states, and from where an internal subset has been seen.
struct Markup {
    std::vector<bool> hidden;
    std::vector<bool> afterSubset;
};

Markup markupOf(std::wstring_view text) {
    enum State { Text, Comment, Cdata, Instruction, Doctype, DoctypeQuote, Subset, SubsetQuote, SubsetComment,
                 SubsetInstruction };
    Markup markup{std::vector<bool>(text.size()), std::vector<bool>(text.size())};
    State state = Text;
    wchar_t quote = 0;
    bool subsetSeen = false;
    size_t i = 0;
    const auto at = [&](std::wstring_view part) { return text.substr(i, part.size()) == part; };
    const auto take = [&](size_t count, State next) {
        for (size_t k = 0; k < count && i < text.size(); ++k) {
            markup.afterSubset[i] = subsetSeen;
            markup.hidden[i++] = state != Text || next != Text;
        }
        state = next;
    };
    while (i < text.size()) {
        const wchar_t c = text[i];
        switch (state) {
            case Text:
                if (c != L'<') take(1, Text);
                else if (at(L"<!--")) take(4, Comment);
                else if (at(L"<![CDATA[")) take(9, Cdata);
                else if (at(L"<?")) take(2, Instruction);
                else if (at(L"<!DOCTYPE")) take(9, Doctype);
                else take(1, Text);
                break;
            case Comment: at(L"-->") ? take(3, Text) : take(1, Comment); break;
            case Cdata: at(L"]]>") ? take(3, Text) : take(1, Cdata); break;
            case Instruction: at(L"?>") ? take(2, Text) : take(1, Instruction); break;
            case Doctype:
                if (c == L'"' || c == L'\'') quote = c;
                if (c == L'[') subsetSeen = true;
                take(1, c == L'>' ? Text : c == L'"' || c == L'\'' ? DoctypeQuote : c == L'[' ? Subset : Doctype);
                break;
            case DoctypeQuote: take(1, c == quote ? Doctype : DoctypeQuote); break;
            case Subset:
                if (c == L'"' || c == L'\'') quote = c;
                if (at(L"<!--")) {
                    take(4, SubsetComment);
                } else if (at(L"<?")) {
                    take(2, SubsetInstruction);
                } else {
                    take(1, c == L']' ? Doctype : c == L'"' || c == L'\'' ? SubsetQuote : Subset);
                }
                break;
            case SubsetQuote: take(1, c == quote ? Subset : SubsetQuote); break;
            case SubsetComment: at(L"-->") ? take(3, Subset) : take(1, SubsetComment); break;
            case SubsetInstruction: at(L"?>") ? take(2, Subset) : take(1, SubsetInstruction); break;
        }
    }
    return markup;
}

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool isHexDigit(wchar_t c) { return isDigit(c) || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F'); }
bool isNameStart(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_' || c == L':' || c >= 0x80;
}
bool isNameCharacter(wchar_t c) { return isNameStart(c) || isDigit(c) || c == L'-' || c == L'.'; }

// The name of "&name;" at `ampersand`; empty when no such reference starts there.
std::wstring_view referenceName(std::wstring_view text, size_t ampersand) {
    size_t end = ampersand + 1;
    if (end >= text.size() || !isNameStart(text[end])) return {};
    while (end < text.size() && isNameCharacter(text[end])) ++end;
    if (end >= text.size() || text[end] != L';') return {};
    return text.substr(ampersand + 1, end - ampersand - 1);
}

bool isNumericReference(std::wstring_view text, size_t ampersand) {
    if (text.substr(ampersand, 2) != L"&#") return false;
    size_t end = ampersand + 2;
    const bool hex = end < text.size() && text[end] == L'x';
    if (hex) ++end;
    const size_t digits = end;
    while (end < text.size() && (hex ? isHexDigit(text[end]) : isDigit(text[end]))) ++end;
    return end > digits && end < text.size() && text[end] == L';';
}

bool isXmlEntity(std::wstring_view name) {
    return name == L"amp" || name == L"lt" || name == L"gt" || name == L"quot" || name == L"apos";
}

bool startsXmlReference(std::wstring_view text, size_t ampersand) {
    return isNumericReference(text, ampersand) || isXmlEntity(referenceName(text, ampersand));
}

std::wstring numericReferences(const HtmlEntity& entity) {
    std::wstring references;
    for (const char32_t codePoint : {entity.first, entity.second}) {
        if (codePoint == 0) continue;
        references += L"&#";
        for (const char digit : std::to_string(static_cast<unsigned long>(codePoint))) references += digit;
        references += L';';
    }
    return references;
}

// Walks text and result side by side; every difference must be one of the two repairs.
void checkRepairs(std::wstring_view text, std::wstring_view result, const std::string& detail) {
    const Markup markup = markupOf(text);
    size_t i = 0, j = 0;
    while (i < text.size()) {
        FUZZ_CHECK(j < result.size(), detail);
        if (text[i] != L'&') {
            FUZZ_CHECK(result[j] == text[i], detail);
            ++i, ++j;
            continue;
        }
        const std::wstring_view name = referenceName(text, i);
        const HtmlEntity* entity = isXmlEntity(name) || name.empty() ? nullptr : FindHtmlEntity(name);
        if (result.substr(j, 5) == L"&amp;" && text.substr(i, 5) != L"&amp;") {
            FUZZ_CHECK(!markup.hidden[i] && !startsXmlReference(text, i) && !entity, detail);
            FUZZ_CHECK(name.empty() || !markup.afterSubset[i], detail);
            ++i, j += 5;
        } else if (result.substr(j, 2) == L"&#" && text.substr(i, 2) != L"&#") {
            FUZZ_CHECK(!markup.hidden[i] && entity, detail);
            const std::wstring references = numericReferences(*entity);
            FUZZ_CHECK(result.substr(j, references.size()) == references, detail);
            i += name.size() + 2, j += references.size();
        } else {
            FUZZ_CHECK(result[j] == L'&', detail);
            const bool keptReference = startsXmlReference(text, i) || (markup.afterSubset[i] && !name.empty() && !entity);
            FUZZ_CHECK(markup.hidden[i] || keptReference, detail);
            ++i, ++j;
        }
    }
    FUZZ_CHECK(j == result.size(), detail);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = wideTextOf(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::optional<std::wstring> repaired = RepairEntityReferences(text);
    const std::wstring_view result = repaired ? std::wstring_view(*repaired) : std::wstring_view(text);
    const std::string detail = narrowed(text) + "\n  became " + narrowed(result);

    bool onlyXmlReferences = true;
    for (size_t at = text.find(L'&'); at != kNone && onlyXmlReferences; at = text.find(L'&', at + 1)) {
        onlyXmlReferences = startsXmlReference(text, at);
    }
    FUZZ_CHECK(!onlyXmlReferences || !repaired, detail);
    FUZZ_CHECK(!repaired || *repaired != text, detail);
    checkRepairs(text, result, detail);
    FUZZ_CHECK(!RepairEntityReferences(result), detail);
    if (repaired) {
        FUZZ_CHECK(RepairEntityReferences(text, repaired->size()) == repaired, detail);
        FUZZ_CHECK(!RepairEntityReferences(text, repaired->size() - 1), detail);
    }
    return 0;
}
