#include "feed/AtomText.h"

#include "feed/HtmlEntities.h"

namespace {

constexpr size_t kNone = std::wstring_view::npos;
constexpr char32_t kReplacementCharacter = 0xFFFD;
// The longest name in HTML's table has 31 characters.
constexpr size_t kLongestEntityName = 32;

wchar_t lowerAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool equalsIgnoringCase(std::wstring_view text, std::wstring_view lowerCase) {
    if (text.size() != lowerCase.size()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (lowerAscii(text[i]) != lowerCase[i]) return false;
    }
    return true;
}

bool isAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

int hexDigitValue(wchar_t c) {
    if (isDigit(c)) return c - L'0';
    const wchar_t lower = lowerAscii(c);
    return lower >= L'a' && lower <= L'f' ? lower - L'a' + 10 : -1;
}

void appendCodePoint(std::wstring& out, char32_t codePoint) {
    if (sizeof(wchar_t) == 2 && codePoint > 0xFFFF) {
        codePoint -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (codePoint >> 10));
        out += static_cast<wchar_t>(0xDC00 + (codePoint & 0x3FF));
    } else {
        out += static_cast<wchar_t>(codePoint);
    }
}

// "&#NNN;" or "&#xHH;" at `pos` appended as its character: one HTML reads as no character
// (0, a surrogate, beyond U+10FFFF) gives U+FFFD. Returns where the reference ends, or
// kNone when there is none.
size_t appendNumericReference(std::wstring_view html, size_t pos, std::wstring& out) {
    size_t at = pos + 2;
    const bool hex = at < html.size() && lowerAscii(html[at]) == L'x';
    if (hex) ++at;
    const size_t digitsStart = at;
    char32_t value = 0;
    for (; at < html.size(); ++at) {
        const int digit = hex ? hexDigitValue(html[at]) : isDigit(html[at]) ? html[at] - L'0' : -1;
        if (digit < 0) break;
        // Saturates: every value past the last code point is as wrong as the next.
        value = value > 0x10FFFF ? value : value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
    }
    if (at == digitsStart || at >= html.size() || html[at] != L';') return kNone;
    const bool character = value != 0 && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
    appendCodePoint(out, character ? value : kReplacementCharacter);
    return at + 1;
}

// "&name;" of HTML's table at `pos` appended as its characters; kNone when there is none.
size_t appendNamedReference(std::wstring_view html, size_t pos, std::wstring& out) {
    const size_t nameLength = html.substr(pos + 1, kLongestEntityName + 1).find(L';');
    if (nameLength == kNone || nameLength == 0) return kNone;
    const HtmlEntity* entity = FindHtmlEntity(html.substr(pos + 1, nameLength));
    if (!entity) return kNone;
    appendCodePoint(out, entity->first);
    if (entity->second != 0) appendCodePoint(out, entity->second);
    return pos + nameLength + 2;
}

size_t appendReference(std::wstring_view html, size_t pos, std::wstring& out) {
    if (pos + 1 < html.size() && html[pos + 1] == L'#') return appendNumericReference(html, pos, out);
    return appendNamedReference(html, pos, out);
}

// HTML read as text, left to right. The ends of tags and comments are searched once for
// many openings, so that a text full of '<' or "<!--" without an end takes linear time.
class PlainTextReader {
public:
    explicit PlainTextReader(std::wstring_view html) : html_(html) {}
    std::wstring read();

private:
    size_t afterTag(size_t pos);
    size_t find(std::wstring_view delimiter, size_t from, size_t& known);

    std::wstring_view html_;
    // The last answers of find; 0 lies before every search start.
    size_t tagEnd_ = 0;
    size_t commentEnd_ = 0;
};

// The first `delimiter` at or after `from`. `known`, an earlier answer for a start before
// `from`, is still the answer unless `from` has passed it.
size_t PlainTextReader::find(std::wstring_view delimiter, size_t from, size_t& known) {
    if (known != kNone && known < from) known = html_.find(delimiter, from);
    return known;
}

// Just after the tag or comment that starts at `pos`; kNone when the '<' there starts
// none, or one that never ends.
size_t PlainTextReader::afterTag(size_t pos) {
    if (html_.compare(pos, 4, L"<!--") == 0) {
        const size_t end = find(L"-->", pos + 4, commentEnd_);
        return end == kNone ? kNone : end + 3;
    }
    if (pos + 1 >= html_.size()) return kNone;
    const wchar_t next = html_[pos + 1];
    if (!isAsciiLetter(next) && next != L'/' && next != L'!' && next != L'?') return kNone;
    const size_t end = find(L">", pos + 1, tagEnd_);
    return end == kNone ? kNone : end + 1;
}

std::wstring PlainTextReader::read() {
    std::wstring text;
    text.reserve(html_.size());
    for (size_t pos = 0; pos < html_.size();) {
        size_t next = kNone;
        if (html_[pos] == L'<') next = afterTag(pos);
        if (html_[pos] == L'&') next = appendReference(html_, pos, text);
        if (next == kNone) {
            text += html_[pos];
            next = pos + 1;
        }
        pos = next;
    }
    return text;
}

}  // namespace

AtomTextType AtomTextTypeOf(std::wstring_view typeAttribute) {
    std::wstring_view mediaType = typeAttribute.substr(0, typeAttribute.find(L';'));
    while (!mediaType.empty() && (mediaType.back() == L' ' || mediaType.back() == L'\t')) mediaType.remove_suffix(1);
    if (mediaType.empty() || equalsIgnoringCase(mediaType, L"text")) return AtomTextType::Text;
    if (equalsIgnoringCase(mediaType, L"html") || equalsIgnoringCase(mediaType, L"text/html")) {
        return AtomTextType::Html;
    }
    if (equalsIgnoringCase(mediaType, L"xhtml") || equalsIgnoringCase(mediaType, L"application/xhtml+xml")) {
        return AtomTextType::Xhtml;
    }
    if (mediaType.size() > 5 && equalsIgnoringCase(mediaType.substr(0, 5), L"text/")) return AtomTextType::Text;
    return AtomTextType::Other;
}

std::wstring EscapeHtmlText(std::wstring_view text) {
    std::wstring html;
    html.reserve(text.size());
    for (const wchar_t c : text) {
        switch (c) {
            case L'&': html += L"&amp;"; break;
            case L'<': html += L"&lt;"; break;
            case L'>': html += L"&gt;"; break;
            case L'"': html += L"&quot;"; break;
            case L'\'': html += L"&#39;"; break;
            default: html += c; break;
        }
    }
    return html;
}

std::wstring HtmlToPlainText(std::wstring_view html) { return PlainTextReader(html).read(); }
