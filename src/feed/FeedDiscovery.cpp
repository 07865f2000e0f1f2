#include "feed/FeedDiscovery.h"

#include <algorithm>
#include <iterator>
#include <type_traits>

#include "common/UrlResolution.h"
#include "feed/HtmlEntities.h"

namespace {

constexpr size_t kNone = std::wstring_view::npos;
constexpr char32_t kReplacementCharacter = 0xFFFD;
constexpr char32_t kLastCodePoint = 0x10FFFF;

constexpr std::string_view kFeedTypes[] = {"application/rss+xml", "application/atom+xml", "application/rdf+xml"};
constexpr std::string_view kHtmlTypes[] = {"text/html", "application/xhtml+xml"};
// Elements whose content runs as text up to their own end tag: a "<link" inside is no tag.
constexpr std::string_view kRawTextElements[] = {"script", "style",  "title",   "textarea",
                                                 "xmp",    "iframe", "noembed", "noframes"};

template <typename Char>
unsigned codeOf(Char c) {
    return static_cast<unsigned>(static_cast<std::make_unsigned_t<Char>>(c));
}

template <typename Char>
char lowerAscii(Char c) {
    const unsigned code = codeOf(c);
    if (code >= 'A' && code <= 'Z') return static_cast<char>(code - 'A' + 'a');
    return code < 0x80 ? static_cast<char>(code) : '\0';
}

// `lowerWord` is lower-case ASCII; a word that would run past the text does not match.
template <typename Char>
bool startsWithNoCase(std::basic_string_view<Char> text, size_t at, std::string_view lowerWord) {
    if (at > text.size() || text.size() - at < lowerWord.size()) return false;
    for (size_t i = 0; i < lowerWord.size(); ++i) {
        if (lowerAscii(text[at + i]) != lowerWord[i]) return false;
    }
    return true;
}

template <typename Char>
bool equalsNoCase(std::basic_string_view<Char> text, std::string_view lowerWord) {
    return text.size() == lowerWord.size() && startsWithNoCase(text, 0, lowerWord);
}

template <typename Char>
bool isBlank(Char c) {
    const unsigned code = codeOf(c);
    return code == ' ' || code == '\t' || code == '\n' || code == '\f' || code == '\r';
}

template <typename Char>
std::basic_string_view<Char> trimmed(std::basic_string_view<Char> text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// A media type without its parameters, compared without case.
template <typename Char>
bool isMediaTypeOf(std::basic_string_view<Char> value, std::string_view lowerType) {
    return equalsNoCase(trimmed(value.substr(0, value.find(Char(';')))), lowerType);
}

template <typename Char, size_t count>
bool isAnyMediaType(std::basic_string_view<Char> value, const std::string_view (&lowerTypes)[count]) {
    for (const std::string_view type : lowerTypes) {
        if (isMediaTypeOf(value, type)) return true;
    }
    return false;
}

bool isAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool isAlphanumeric(wchar_t c) { return isAsciiLetter(c) || isDigit(c); }
int hexDigitValue(wchar_t c) {
    if (isDigit(c)) return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}
bool endsTagName(wchar_t c) { return isBlank(c) || c == L'/' || c == L'>'; }
bool isAt(std::wstring_view text, size_t index, wchar_t c) { return index < text.size() && text[index] == c; }

void appendCodePoint(std::wstring& text, char32_t codePoint) {
    if (codePoint > 0xFFFF && sizeof(wchar_t) == 2) {
        codePoint -= 0x10000;
        text += static_cast<wchar_t>(0xD800 + (codePoint >> 10));
        text += static_cast<wchar_t>(0xDC00 + (codePoint & 0x3FF));
    } else {
        text += static_cast<wchar_t>(codePoint);
    }
}

// "&#N;" or "&#xH;" at `ampersand` (the ';' may be missing, as HTML allows); its length, 0
// when none starts there. Code points that no character has read as U+FFFD.
size_t readNumericReference(std::wstring_view text, size_t ampersand, std::wstring& out) {
    size_t end = ampersand + 2;
    const bool hex = end < text.size() && (text[end] == L'x' || text[end] == L'X');
    if (hex) ++end;
    const size_t digits = end;
    char32_t value = 0;
    for (; end < text.size(); ++end) {
        const int digit = hex ? hexDigitValue(text[end]) : isDigit(text[end]) ? text[end] - L'0' : -1;
        if (digit < 0) break;
        // Past the last code point the value only has to stay there, not grow further.
        if (value <= kLastCodePoint) value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
    }
    if (end == digits) return 0;
    if (isAt(text, end, L';')) ++end;
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    appendCodePoint(out, value == 0 || value > kLastCodePoint || surrogate ? kReplacementCharacter : value);
    return end - ampersand;
}

// "&name;" of one of HTML's named characters at `ampersand`; its length, 0 when none.
size_t readNamedReference(std::wstring_view text, size_t ampersand, std::wstring& out) {
    size_t end = ampersand + 1;
    while (end < text.size() && isAlphanumeric(text[end])) ++end;
    if (end == ampersand + 1 || !isAt(text, end, L';')) return 0;
    const HtmlEntity* entity = FindHtmlEntity(text.substr(ampersand + 1, end - ampersand - 1));
    if (!entity) return 0;
    appendCodePoint(out, entity->first);
    if (entity->second != 0) appendCodePoint(out, entity->second);
    return end + 1 - ampersand;
}

// The attributes of one tag that discovery asks about; the first of a name counts.
struct TagAttributes {
    std::optional<std::wstring_view> rel, type, href;

    void take(std::wstring_view name, std::wstring_view value) {
        if (equalsNoCase(name, "rel")) {
            if (!rel) rel = value;
        } else if (equalsNoCase(name, "type")) {
            if (!type) type = value;
        } else if (equalsNoCase(name, "href")) {
            if (!href) href = value;
        }
    }
};

bool hasAlternateToken(std::wstring_view rel) {
    const std::wstring text = AttributeValueText(rel);
    const std::wstring_view tokens = text;
    for (size_t start = 0; start < tokens.size();) {
        size_t end = start;
        while (end < tokens.size() && !isBlank(tokens[end])) ++end;
        if (equalsNoCase(tokens.substr(start, end - start), "alternate")) return true;
        start = end + 1;
    }
    return false;
}

bool namesFeed(const TagAttributes& link) {
    return link.rel && link.type && link.href && !trimmed(*link.href).empty() && hasAlternateToken(*link.rel) &&
           isAnyMediaType(std::wstring_view(AttributeValueText(*link.type)), kFeedTypes);
}

// The page's tokens as HTML's tokenizer finds them, without building anything: the
// position only moves forward, and every search resumes where the last one ended.
class HeadScanner {
public:
    explicit HeadScanner(std::wstring_view page) : page_(page) {}

    PageHeadLinks run() {
        while (position_ < page_.size() && found_.headEnd == kNone) step();
        return found_;
    }

private:
    void step() {
        const size_t open = page_.find(L'<', position_);
        if (open == kNone) {
            position_ = page_.size();
            return;
        }
        position_ = open + 1;
        if (startsWithNoCase(page_, position_, "!--")) return skipComment();
        if (at(L'!') || at(L'?')) return skipPast(L'>');
        if (at(L'/')) return readEndTag();
        if (position_ < page_.size() && isAsciiLetter(page_[position_])) return readStartTag();
        // Any other '<' is text.
    }

    bool at(wchar_t c) const { return isAt(page_, position_, c); }

    void skipPast(wchar_t c) {
        const size_t found = page_.find(c, position_);
        position_ = found == kNone ? page_.size() : found + 1;
    }

    // From the first '-' of "<!--", so that "<!-->" and "<!--->" close at once, as in HTML;
    // "--!>" closes too.
    void skipComment() {
        for (size_t dashes = page_.find(L"--", position_ + 1); dashes != kNone;
             dashes = page_.find(L"--", dashes + 1)) {
            if (isAt(page_, dashes + 2, L'>')) {
                position_ = dashes + 3;
                return;
            }
            if (isAt(page_, dashes + 2, L'!') && isAt(page_, dashes + 3, L'>')) {
                position_ = dashes + 4;
                return;
            }
        }
        position_ = page_.size();
    }

    // The tag name from the position on; past it, the position is on what ended it.
    std::wstring_view readTagName() {
        const size_t start = position_;
        while (position_ < page_.size() && !endsTagName(page_[position_])) ++position_;
        return page_.substr(start, position_ - start);
    }

    void readEndTag() {
        ++position_;
        if (!(position_ < page_.size() && isAsciiLetter(page_[position_]))) return skipPast(L'>');
        const std::wstring_view name = readTagName();
        if (position_ < page_.size() && equalsNoCase(name, "head")) {
            found_.headEnd = position_ + 1;
            return;
        }
        TagAttributes ignored;
        readAttributes(ignored);
    }

    void readStartTag() {
        const std::wstring_view name = readTagName();
        if (position_ < page_.size() && equalsNoCase(name, "body")) {
            found_.headEnd = position_ + 1;
            return;
        }
        TagAttributes attributes;
        if (!readAttributes(attributes)) return;
        if (equalsNoCase(name, "link")) {
            if (!found_.feedHref && namesFeed(attributes)) found_.feedHref = attributes.href;
        } else if (equalsNoCase(name, "base")) {
            if (!found_.baseHref && attributes.href) found_.baseHref = attributes.href;
        } else {
            skipRawText(name);
        }
    }

    // HTML's attribute syntax, so that a '>' inside a quoted value ends no tag. True when
    // the tag ended with its '>'; false when the page ended first.
    bool readAttributes(TagAttributes& attributes) {
        while (true) {
            while (position_ < page_.size() && (isBlank(page_[position_]) || page_[position_] == L'/')) ++position_;
            if (position_ == page_.size()) return false;
            if (page_[position_] == L'>') {
                ++position_;
                return true;
            }
            // The first character belongs to the name even when it is an '='.
            const size_t nameStart = position_++;
            while (position_ < page_.size() && !endsTagName(page_[position_]) && page_[position_] != L'=') {
                ++position_;
            }
            const std::wstring_view name = page_.substr(nameStart, position_ - nameStart);
            skipBlanks();
            // A name without a value has the empty one, at its place in the page.
            std::wstring_view value = page_.substr(position_, 0);
            if (at(L'=')) {
                ++position_;
                skipBlanks();
                if (!readAttributeValue(value)) return false;
            }
            attributes.take(name, value);
        }
    }

    bool readAttributeValue(std::wstring_view& value) {
        if (position_ == page_.size()) return false;
        const wchar_t quote = page_[position_];
        if (quote == L'"' || quote == L'\'') {
            const size_t close = page_.find(quote, position_ + 1);
            if (close == kNone) {
                position_ = page_.size();
                return false;
            }
            value = page_.substr(position_ + 1, close - position_ - 1);
            position_ = close + 1;
            return true;
        }
        const size_t start = position_;
        while (position_ < page_.size() && !isBlank(page_[position_]) && page_[position_] != L'>') ++position_;
        value = page_.substr(start, position_ - start);
        return true;
    }

    void skipBlanks() {
        while (position_ < page_.size() && isBlank(page_[position_])) ++position_;
    }

    // Up to the element's end tag, which the next step reads.
    void skipRawText(std::wstring_view name) {
        const auto element = std::find_if(std::begin(kRawTextElements), std::end(kRawTextElements),
                                          [&](std::string_view rawText) { return equalsNoCase(name, rawText); });
        if (element == std::end(kRawTextElements)) return;
        for (size_t close = page_.find(L"</", position_); close != kNone; close = page_.find(L"</", close + 2)) {
            const size_t nameEnd = close + 2 + element->size();
            if (startsWithNoCase(page_, close + 2, *element) && nameEnd < page_.size() && endsTagName(page_[nameEnd])) {
                position_ = close;
                return;
            }
        }
        position_ = page_.size();
    }

    std::wstring_view page_;
    size_t position_ = 0;
    PageHeadLinks found_;
};

}  // namespace

bool IsHtmlPage(std::wstring_view contentType, std::string_view body) {
    if (!trimmed(contentType).empty()) return isAnyMediaType(contentType, kHtmlTypes);
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (body.substr(0, kByteOrderMark.size()) == kByteOrderMark) body.remove_prefix(kByteOrderMark.size());
    while (!body.empty() && isBlank(body.front())) body.remove_prefix(1);
    return startsWithNoCase(body, 0, "<!doctype html") || startsWithNoCase(body, 0, "<html");
}

PageHeadLinks ScanPageHead(std::wstring_view page) { return HeadScanner(page).run(); }

std::wstring AttributeValueText(std::wstring_view raw) {
    std::wstring text;
    text.reserve(raw.size());
    for (size_t i = 0; i < raw.size();) {
        if (raw[i] != L'&') {
            text += raw[i++];
            continue;
        }
        const size_t length =
            isAt(raw, i + 1, L'#') ? readNumericReference(raw, i, text) : readNamedReference(raw, i, text);
        if (length == 0) text += raw[i];
        i += length == 0 ? 1 : length;
    }
    return std::wstring(trimmed(std::wstring_view(text)));
}

std::wstring FindFeedUrl(std::wstring_view page, std::wstring_view pageUrl) {
    const PageHeadLinks links = ScanPageHead(page);
    if (!links.feedHref) return {};
    const std::wstring base = links.baseHref ? resolveUrl(pageUrl, AttributeValueText(*links.baseHref))
                                             : std::wstring(pageUrl);
    return resolveUrl(base, AttributeValueText(*links.feedHref));
}
