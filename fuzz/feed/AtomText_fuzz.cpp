// The text constructs of Atom over arbitrary text. Checked: escaped text holds no '<', '>'
// or quote, and every '&' in it starts one of the five references written for those;
// undoing them literally, or reading the escaped text back as HTML, inside tags and beside
// a comment or not, gives the text again. HTML read as text never grows, leaves a text
// without '<' and ';' as it is, keeps a '<' that a blank, digit, '=', '-' or nothing
// follows, and gives every character back from its decimal and hexadecimal references
// (U+FFFD where they name no character) but not from references cut before their ';'. The
// type of a construct does not change with the letter case of its attribute.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "feed/AtomText.h"
#include "support/FuzzCheck.h"
#include "support/WideText.h"

namespace {

struct Reference {
    std::wstring_view written;
    wchar_t character;
};
constexpr Reference kEscapes[] = {
    {L"&amp;", L'&'}, {L"&lt;", L'<'}, {L"&gt;", L'>'}, {L"&quot;", L'"'}, {L"&#39;", L'\''},
};

const Reference* escapeAt(std::wstring_view html, size_t at) {
    for (const Reference& escape : kEscapes) {
        if (html.substr(at, escape.written.size()) == escape.written) return &escape;
    }
    return nullptr;
}

void checkEscaped(const std::wstring& text, const std::wstring& escaped) {
    std::wstring undone;
    for (size_t at = 0; at < escaped.size();) {
        const wchar_t c = escaped[at];
        FUZZ_CHECK(c != L'<' && c != L'>' && c != L'"' && c != L'\'', utf8Of(escaped));
        if (c != L'&') {
            undone += c;
            ++at;
            continue;
        }
        const Reference* escape = escapeAt(escaped, at);
        FUZZ_CHECK(escape != nullptr, utf8Of(escaped.substr(at)));
        undone += escape->character;
        at += escape->written.size();
    }
    FUZZ_CHECK(undone == text, utf8Of(undone));
    FUZZ_CHECK(HtmlToPlainText(escaped) == text, utf8Of(escaped));
    const std::wstring marked = L"<p class=\"a\">" + escaped + L"<!--" + escaped + L"--><br/></p>";
    FUZZ_CHECK(HtmlToPlainText(marked) == text, utf8Of(marked));
}

std::wstring hexadecimal(uint32_t value) {
    std::wstring digits;
    do {
        digits.insert(digits.begin(), L"0123456789aBcDeF"[value % 16]);
        value /= 16;
    } while (value != 0);
    return digits;
}

// Each character as a numeric reference, decimal and hexadecimal in turn.
void checkNumericReferences(const std::wstring& text) {
    std::wstring references;
    std::wstring expected;
    for (size_t i = 0; i < text.size(); ++i) {
        const uint32_t value = static_cast<uint32_t>(text[i]) & 0xFFFF;
        references += i % 2 == 0 ? L"&#" + std::to_wstring(value) + L";" : L"&#x" + hexadecimal(value) + L";";
        const bool character = value != 0 && (value < 0xD800 || value > 0xDFFF);
        expected += character ? static_cast<wchar_t>(value) : L'\xFFFD';
    }
    FUZZ_CHECK(HtmlToPlainText(references) == expected, utf8Of(references));
    std::wstring cut = references;
    cut.erase(std::remove(cut.begin(), cut.end(), L';'), cut.end());
    FUZZ_CHECK(HtmlToPlainText(cut) == cut, utf8Of(cut));
}

// A '<' followed by what starts no tag, or by nothing, is text: each '<' of the text but a
// last one gets such a follower.
void checkLessThanSigns(const std::wstring& text) {
    static constexpr std::wstring_view kFollowers = L" 1=-";
    std::wstring html;
    std::wstring expected;
    size_t signs = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'<') {
            const std::wstring sign =
                i + 1 == text.size() ? L"<" : std::wstring{c, kFollowers[signs++ % kFollowers.size()]};
            html += sign;
            expected += sign;
        } else {
            html += c == L'&' ? L"&amp;" : std::wstring(1, c);
            expected += c;
        }
    }
    FUZZ_CHECK(HtmlToPlainText(html) == expected, utf8Of(html));
}

wchar_t upperAscii(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = wideTextOf(std::string_view(reinterpret_cast<const char*>(data), size));

    checkEscaped(text, EscapeHtmlText(text));
    checkNumericReferences(text);
    checkLessThanSigns(text);

    const std::wstring plain = HtmlToPlainText(text);
    FUZZ_CHECK(plain.size() <= text.size(), utf8Of(plain));
    if (text.find_first_of(L"<;") == std::wstring::npos) FUZZ_CHECK(plain == text, utf8Of(plain));

    std::wstring upper = text;
    for (wchar_t& c : upper) c = upperAscii(c);
    FUZZ_CHECK(AtomTextTypeOf(upper) == AtomTextTypeOf(text), utf8Of(text));
    return 0;
}
