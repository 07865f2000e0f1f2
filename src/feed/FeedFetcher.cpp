#include "feed/FeedFetcher.h"

#include <new>
#include <optional>
#include <utility>

#include "common/Clock.h"
#include "common/TextConversion.h"
#include "common/UrlResolution.h"
#include "feed/DateParsing.h"
#include "feed/FetchError.h"
#include "feed/ResponseBody.h"
#include "feed/XmlDom.h"
#include "settings/Settings.h"

namespace {

bool contains(const std::wstring& text, const wchar_t* part) { return text.find(part) != std::wstring::npos; }

// pubDate when the item has one that reads as an RFC 822 or a W3C date, dc:date otherwise;
// none when neither reads.
std::optional<int64_t> itemDate(IXMLDOMElement* item) {
    const std::string pubDate = toAnsi(ChildText(item, L"pubDate"));
    if (!pubDate.empty()) {
        if (const std::optional<int64_t> date = ParseRfc822Date(pubDate)) return date;
        if (const std::optional<int64_t> date = ParseW3cDate(pubDate)) return date;
    }
    return ParseW3cDate(toAnsi(ChildText(item, L"dc:date")));
}

// A relative link resolves against the item's base and the link element's own xml:base.
std::wstring itemLink(IXMLDOMElement* item, const std::wstring& base) {
    const XmlElement link = FindChild(item, L"link");
    if (!link) return {};
    const std::wstring text = ElementText(link.Get());
    if (text.empty()) return text;
    return resolveUrl(BaseWithin(link.Get(), BaseWithin(item, base)), text);
}

}  // namespace

FeedKind DetectFeedKind(IXMLDOMElement* root) {
    const std::wstring tagName = root ? TagName(root) : std::wstring();
    if (contains(tagName, L"rss")) {
        return contains(AttributeText(root, L"version"), L"2") ? FeedKind::Rss2 : FeedKind::Rss;
    }
    if (contains(tagName, L"rdf")) return FeedKind::Rdf;
    if (root && LocalName(root) == L"feed" && NamespaceUri(root) == kAtomNamespace) return FeedKind::Atom;
    return FeedKind::None;
}

bool FeedFetcher::ReadFeedBody(std::string body, const std::wstring& contentType, const std::wstring& documentUrl,
                               int64_t lastRetrieved, int32_t htmlMode, int32_t senderMode,
                               const ItemMemoryRule& memory) {
    lastError.clear();
    lastResult = {0, FetchOutcome::NotAFeed, 0, {}};
    documentKeys.clear();
    keysInDocument_.clear();
    const ItemRules rules{documentUrl, lastRetrieved, htmlMode, senderMode, memory, currentTime()};
    try {
        std::wstring text = DecodeResponseBody(body, contentType);
        std::string().swap(body);
        XmlLoadError loadError;
        const XmlDocument document = LoadXmlDocument(std::move(text), loadError);
        if (!document) {
            lastError = XmlLoadErrorText(loadError);
            lastResult = {0, FetchOutcome::ParseError, loadError.line, toMultiByte(loadError.reason, CP_UTF8)};
            return false;
        }
        const size_t itemsBefore = items.size();
        if (!readDocument(RootElement(document.Get()).Get(), rules)) return false;
        lastResult = {0, FetchOutcome::Read, static_cast<int64_t>(items.size() - itemsBefore), {}};
        return true;
    } catch (const FetchError&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool FeedFetcher::readDocument(IXMLDOMElement* root, const ItemRules& rules) {
    switch (DetectFeedKind(root)) {
        case FeedKind::Rss: ReadRss(root, rules); return true;
        case FeedKind::Rss2: ReadRss2(root, rules); return true;
        case FeedKind::Rdf: ReadRdf(root, rules); return true;
        case FeedKind::Atom: ReadAtom(root, rules); return true;
        case FeedKind::None: break;
    }
    return false;
}

void FeedFetcher::ReadRss(IXMLDOMElement* root, const ItemRules& rules) {
    readChannel(root, L"managingEditor", rules);
}

void FeedFetcher::ReadRss2(IXMLDOMElement* root, const ItemRules& rules) { readChannel(root, L"dc:creator", rules); }

// Items are the children of the first channel, whose title and link replace those of any
// earlier document even when it has none.
void FeedFetcher::readChannel(IXMLDOMElement* root, const wchar_t* fallbackAuthorName, const ItemRules& rules) {
    const XmlElement channel = FindChild(root, L"channel");
    feedTitle = ChildText(channel.Get(), L"title");
    feedLink = ChildText(channel.Get(), L"link");
    if (!channel) return;
    const std::wstring fallbackAuthor = ChildText(channel.Get(), fallbackAuthorName);
    const std::wstring base = BaseWithin(channel.Get(), BaseWithin(root, rules.documentUrl));
    ForEachChildElement(channel.Get(), [&](IXMLDOMElement* child, const std::wstring& tagName) {
        if (tagName == L"item") readItem(child, fallbackAuthor, base, rules);
    });
}

// Items stand beside the channel here, so the channel's xml:base is not theirs; each channel
// met sets what the items after it use, and without one the previous document's title stays.
void FeedFetcher::ReadRdf(IXMLDOMElement* root, const ItemRules& rules) {
    const std::wstring base = BaseWithin(root, rules.documentUrl);
    std::wstring fallbackAuthor;
    ForEachChildElement(root, [&](IXMLDOMElement* child, const std::wstring& tagName) {
        if (tagName == L"channel") {
            fallbackAuthor = ChildText(child, L"dc:creator");
            feedTitle = ChildText(child, L"title");
            feedLink = ChildText(child, L"link");
        } else if (tagName == L"item") {
            readItem(child, fallbackAuthor, base, rules);
        }
    });
}

// With item memory off, an item's texts are read only when its date makes it new.
void FeedFetcher::readItem(IXMLDOMElement* item, const std::wstring& fallbackAuthor, const std::wstring& base,
                           const ItemRules& rules) {
    const std::optional<int64_t> date = itemDate(item);
    if (!mayBeNew(date, rules)) return;
    ItemTexts texts;
    texts.body = ChildContent(item, L"content:encoded");
    if (texts.body.empty()) texts.body = ChildContent(item, L"description");
    texts.title = ChildText(item, L"title");
    texts.link = itemLink(item, base);
    texts.key = ChildText(item, L"guid");
    if (texts.key.empty()) texts.key = AttributeText(item, L"rdf:about");
    if (!isNew(date, texts, rules)) return;
    texts.author = ChildText(item, L"dc:creator");
    if (texts.author.empty()) texts.author = fallbackAuthor;
    appendItem(date, std::move(texts), rules);
}

bool FeedFetcher::mayBeNew(const std::optional<int64_t>& date, const ItemRules& rules) {
    return rules.memory.remembers || (date && *date > rules.lastRetrieved);
}

// Every key of the document is recorded, new or not, so that a link read for the first time
// remembers all it holds. Before that first document the date rule decides, as it always
// did, except that a link never retrieved also takes its undated items.
bool FeedFetcher::isNew(const std::optional<int64_t>& date, const ItemTexts& texts, const ItemRules& rules) {
    if (!rules.memory.remembers) return true;
    const std::wstring& keyText = !texts.key.empty() ? texts.key : !texts.link.empty() ? texts.link
                                                                                       : texts.title + L'\n' + texts.body;
    const ItemKey key = itemKeyOf(keyText);
    const bool firstInDocument = keysInDocument_.insert(key).second;
    if (firstInDocument) documentKeys.push_back(key);
    if (const LinkState* known = rules.memory.known) {
        return firstInDocument && !known->hasSeen(key) && (!date || *date > rules.lastRetrieved - kLateItemSeconds);
    }
    return date ? *date > rules.lastRetrieved : rules.lastRetrieved == 0;
}

// An undated item takes the time it was read.
void FeedFetcher::appendItem(const std::optional<int64_t>& date, ItemTexts texts, const ItemRules& rules) {
    FeedItem feedItem;
    feedItem.date = date.value_or(rules.readTime);
    feedItem.sender = MakeSender(texts.author, rules.senderMode, feedTitle);
    feedItem.subject = MakeSubject(texts.title, pluginSettings.SubjectPrefix, pluginSettings.SubjectPrefixText);
    feedItem.link = std::move(texts.link);
    feedItem.body = std::move(texts.body);
    feedItem.htmlMode = rules.htmlMode;
    items.push_back(std::move(feedItem));
}
