// ScanPageHead and FindFeedUrl over arbitrary text. Checked: the scan finds what an
// automaton that takes one character at a time through HTML's tokenizer states finds; the
// hrefs found lie inside the text and before the end of its head, which is a "</head" or
// "<body" tag name; a found feed href is not blank, and its value is the href with at most
// its references shortened and its blanks trimmed; the scan is deterministic; whatever
// follows the end of the head changes nothing; what a cut-off page names, the whole page
// names too; a feed address comes out exactly when a feed href was found.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "feed/FeedDiscovery.h"
#include "support/FuzzCheck.h"
#include "support/WideText.h"

namespace {

constexpr size_t kNone = std::wstring_view::npos;

// Views as offsets, so that the scans of different texts compare.
struct Offsets {
    std::optional<std::pair<size_t, size_t>> feedHref, baseHref;
    size_t headEnd;

    bool operator==(const Offsets& other) const {
        return feedHref == other.feedHref && baseHref == other.baseHref && headEnd == other.headEnd;
    }
};

std::optional<std::pair<size_t, size_t>> offsetsOf(std::wstring_view text, std::optional<std::wstring_view> part,
                                                   const std::string& detail) {
    if (!part) return std::nullopt;
    FUZZ_CHECK(part->data() >= text.data() && part->data() + part->size() <= text.data() + text.size(), detail);
    return std::make_pair(static_cast<size_t>(part->data() - text.data()), part->size());
}

Offsets scan(std::wstring_view text, const std::string& detail) {
    const PageHeadLinks links = ScanPageHead(text);
    return {offsetsOf(text, links.feedHref, detail), offsetsOf(text, links.baseHref, detail), links.headEnd};
}

wchar_t lowerAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool endsWithNoCase(std::wstring_view text, std::wstring_view lowerWord) {
    if (text.size() < lowerWord.size()) return false;
    text = text.substr(text.size() - lowerWord.size());
    for (size_t i = 0; i < lowerWord.size(); ++i) {
        if (lowerAscii(text[i]) != lowerWord[i]) return false;
    }
    return true;
}

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\f' || c == L'\r'; }

bool isBlankText(std::wstring_view text) {
    for (const wchar_t c : text) {
        if (!isBlank(c)) return false;
    }
    return true;
}

std::wstring_view trimmed(std::wstring_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

using Span = std::pair<size_t, size_t>;

bool isTagNameEnd(wchar_t c) { return isBlank(c) || c == L'/' || c == L'>'; }
bool isLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

std::wstring lowered(std::wstring_view text) {
    std::wstring lower;
    for (const wchar_t c : text) lower += lowerAscii(c);
    return lower;
}

bool namesFeedType(std::wstring_view type) {
    const std::wstring value = AttributeValueText(type);
    const std::wstring mediaType = lowered(trimmed(std::wstring_view(value).substr(0, value.find(L';'))));
    return mediaType == L"application/rss+xml" || mediaType == L"application/atom+xml" ||
           mediaType == L"application/rdf+xml";
}

bool hasAlternateToken(std::wstring_view rel) {
    std::wstring token;
    for (const wchar_t c : AttributeValueText(rel) + L" ") {
        if (!isBlank(c)) {
            token += lowerAscii(c);
        } else if (token == L"alternate") {
            return true;
        } else {
            token.clear();
        }
    }
    return false;
}

// The scan again, one character at a time through the states of HTML's tokenizer.
Offsets automatonScan(std::wstring_view text) {
    enum State { Data, TagOpen, EndTagOpen, TagName, BeforeName, Name, AfterName, BeforeValue, Quoted, Unquoted,
                 Comment, Bogus, RawText };
    static const std::wstring_view kRawText[] = {L"script", L"style",  L"title",   L"textarea",
                                                 L"xmp",    L"iframe", L"noembed", L"noframes"};
    Offsets found{std::nullopt, std::nullopt, kNone};
    State state = Data;
    bool endTag = false;
    size_t tagNameStart = 0, attributeNameStart = 0, valueStart = 0;
    std::wstring tagName, attributeName, rawText;
    wchar_t quote = 0;
    std::optional<Span> rel, type, href;
    const auto take = [&](Span value) {
        auto& slot = attributeName == L"rel" ? rel : attributeName == L"type" ? type : href;
        if ((attributeName == L"rel" || attributeName == L"type" || attributeName == L"href") && !slot) slot = value;
    };
    const auto view = [&](Span span) { return text.substr(span.first, span.second); };
    const auto endTagOf = [&] {
        state = Data;
        if (endTag) return;
        if (tagName == L"link" && rel && type && href && !trimmed(view(*href)).empty() &&
            hasAlternateToken(view(*rel)) && namesFeedType(view(*type)) && !found.feedHref) {
            found.feedHref = href;
        } else if (tagName == L"base" && href && !found.baseHref) {
            found.baseHref = href;
        }
        for (const std::wstring_view element : kRawText) {
            if (tagName == element) rawText = element, state = RawText;
        }
    };
    for (size_t i = 0; i < text.size() && found.headEnd == kNone;) {
        const wchar_t c = text[i];
        switch (state) {
            case Data:
                if (c == L'<') state = TagOpen;
                ++i;
                break;
            case TagOpen:
                rel = type = href = std::nullopt;
                if (text.substr(i, 3) == L"!--") {
                    state = Comment, ++i;
                } else if (c == L'!' || c == L'?') {
                    state = Bogus, ++i;
                } else if (c == L'/') {
                    state = EndTagOpen, ++i;
                } else if (isLetter(c)) {
                    state = TagName, endTag = false, tagNameStart = i;
                } else {
                    state = Data;
                }
                break;
            case EndTagOpen:
                if (isLetter(c)) {
                    state = TagName, endTag = true, tagNameStart = i;
                } else {
                    state = Bogus;
                }
                break;
            case TagName:
                if (!isTagNameEnd(c)) {
                    ++i;
                    break;
                }
                tagName = lowered(text.substr(tagNameStart, i - tagNameStart));
                if (tagName == (endTag ? L"head" : L"body")) found.headEnd = i + 1;
                state = BeforeName;
                break;
            case BeforeName:
                if (c == L'>') {
                    endTagOf();
                } else if (!isBlank(c) && c != L'/') {
                    state = Name, attributeNameStart = i;
                }
                ++i;
                break;
            case Name:
                if (isTagNameEnd(c) || c == L'=') {
                    attributeName = lowered(text.substr(attributeNameStart, i - attributeNameStart));
                    state = AfterName;
                } else {
                    ++i;
                }
                break;
            case AfterName:
                if (c == L'=') {
                    state = BeforeValue, ++i;
                } else if (isBlank(c)) {
                    ++i;
                } else {
                    take({i, 0});
                    state = BeforeName;
                }
                break;
            case BeforeValue:
                if (c == L'"' || c == L'\'') {
                    state = Quoted, quote = c, valueStart = ++i;
                } else if (isBlank(c)) {
                    ++i;
                } else {
                    state = Unquoted, valueStart = i;
                }
                break;
            case Quoted:
                if (c == quote) take({valueStart, i - valueStart}), state = BeforeName;
                ++i;
                break;
            case Unquoted:
                if (isBlank(c) || c == L'>') {
                    take({valueStart, i - valueStart});
                    state = BeforeName;
                } else {
                    ++i;
                }
                break;
            case Comment:
                if (text.substr(i, 3) == L"-->") {
                    state = Data, i += 3;
                } else if (text.substr(i, 4) == L"--!>") {
                    state = Data, i += 4;
                } else {
                    ++i;
                }
                break;
            case Bogus:
                if (c == L'>') state = Data;
                ++i;
                break;
            case RawText: {
                const size_t nameEnd = i + 2 + rawText.size();
                if (text.substr(i, 2) == L"</" && lowered(text.substr(i + 2, rawText.size())) == rawText &&
                    nameEnd < text.size() && isTagNameEnd(text[nameEnd])) {
                    state = Data;
                } else {
                    ++i;
                }
                break;
            }
        }
    }
    return found;
}

void checkHeadEnd(std::wstring_view text, const Offsets& found, const std::string& detail) {
    if (found.headEnd == kNone) return;
    FUZZ_CHECK(found.headEnd >= 6 && found.headEnd <= text.size(), detail);
    const wchar_t terminator = text[found.headEnd - 1];
    FUZZ_CHECK(isBlank(terminator) || terminator == L'/' || terminator == L'>', detail);
    const std::wstring_view name = text.substr(0, found.headEnd - 1);
    FUZZ_CHECK(endsWithNoCase(name, L"</head") || endsWithNoCase(name, L"<body"), detail);
    for (const auto& part : {found.feedHref, found.baseHref}) {
        FUZZ_CHECK(!part || part->first + part->second < found.headEnd, detail);
    }
}

void checkValue(std::wstring_view raw, const std::string& detail) {
    const std::wstring value = AttributeValueText(raw);
    FUZZ_CHECK(value.size() <= trimmed(raw).size(), detail);
    if (raw.find(L'&') == kNone) FUZZ_CHECK(value == trimmed(raw), detail);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = wideTextOf(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string detail(reinterpret_cast<const char*>(data), size);
    const PageHeadLinks links = ScanPageHead(text);
    const Offsets found = scan(text, detail);
    FUZZ_CHECK(scan(text, detail) == found, detail);
    FUZZ_CHECK(automatonScan(text) == found, detail);
    checkHeadEnd(text, found, detail);
    if (links.feedHref) {
        FUZZ_CHECK(!isBlankText(*links.feedHref), detail);
        checkValue(*links.feedHref, detail);
    }
    if (links.baseHref) checkValue(*links.baseHref, detail);

    if (found.headEnd != kNone) {
        std::wstring changedTail = text.substr(0, found.headEnd);
        changedTail += L"\"'--><link rel=alternate type=application/rss+xml href=/tail></head><base href=/x/>";
        changedTail.append(text.rbegin(), text.rend());
        FUZZ_CHECK(scan(changedTail, detail) == found, detail);
    }
    const Offsets cut = scan(std::wstring_view(text).substr(0, text.size() / 2), detail);
    FUZZ_CHECK(!cut.feedHref || cut.feedHref == found.feedHref, detail);
    FUZZ_CHECK(!cut.baseHref || cut.baseHref == found.baseHref, detail);
    FUZZ_CHECK(cut.headEnd == kNone || cut == found, detail);

    FUZZ_CHECK(FindFeedUrl(text, L"http://example.com/a/b.html").empty() == !links.feedHref, detail);
    return 0;
}
