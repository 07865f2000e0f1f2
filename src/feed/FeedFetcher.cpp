#include "feed/FeedFetcher.h"

#include <new>
#include <optional>
#include <utility>

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
                               int64_t lastRetrieved, int32_t htmlMode, int32_t senderMode) {
    lastError.clear();
    const ItemRules rules{documentUrl, lastRetrieved, htmlMode, senderMode};
    try {
        std::wstring text = DecodeResponseBody(body, contentType);
        std::string().swap(body);
        XmlLoadError loadError;
        const XmlDocument document = LoadXmlDocument(std::move(text), loadError);
        if (!document) {
            lastError = XmlLoadErrorText(loadError);
            return false;
        }
        const XmlElement root = RootElement(document.Get());
        switch (DetectFeedKind(root.Get())) {
            case FeedKind::Rss: ReadRss(root.Get(), rules); return true;
            case FeedKind::Rss2: ReadRss2(root.Get(), rules); return true;
            case FeedKind::Rdf: ReadRdf(root.Get(), rules); return true;
            case FeedKind::Atom: ReadAtom(root.Get(), rules); return true;
            case FeedKind::None: break;
        }
        return false;
    } catch (const FetchError&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
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

void FeedFetcher::readItem(IXMLDOMElement* item, const std::wstring& fallbackAuthor, const std::wstring& base,
                           const ItemRules& rules) {
    const std::optional<int64_t> date = itemDate(item);
    if (!isNew(date, rules)) return;
    std::wstring author = ChildText(item, L"dc:creator");
    if (author.empty()) author = fallbackAuthor;
    std::wstring body = ChildContent(item, L"content:encoded");
    if (body.empty()) body = ChildContent(item, L"description");
    appendItem(*date, author, ChildText(item, L"title"), itemLink(item, base), std::move(body), rules);
}

// An undated item is never new.
bool FeedFetcher::isNew(const std::optional<int64_t>& date, const ItemRules& rules) {
    return date && *date > rules.lastRetrieved;
}

void FeedFetcher::appendItem(int64_t date, const std::wstring& author, const std::wstring& title, std::wstring link,
                             std::wstring body, const ItemRules& rules) {
    FeedItem feedItem;
    feedItem.date = date;
    feedItem.sender = MakeSender(author, rules.senderMode, feedTitle);
    feedItem.subject = MakeSubject(title, pluginSettings.SubjectPrefix, pluginSettings.SubjectPrefixText);
    feedItem.link = std::move(link);
    feedItem.body = std::move(body);
    feedItem.htmlMode = rules.htmlMode;
    items.push_back(std::move(feedItem));
}
