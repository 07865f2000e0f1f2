#include "feed/FeedFetcher.h"

#include <new>
#include <utility>

#include "common/TextConversion.h"
#include "feed/DateParsing.h"
#include "feed/FetchError.h"
#include "feed/ResponseBody.h"
#include "feed/XmlDom.h"
#include "settings/Settings.h"

namespace {

bool contains(const std::wstring& text, const wchar_t* part) { return text.find(part) != std::wstring::npos; }

// pubDate when the item has one, dc:date otherwise; an unparseable pubDate gives 0 and an
// item without a usable date a negative value, so that neither is ever new.
int32_t itemDate(IXMLDOMElement* item) {
    const std::string pubDate = toAnsi(ChildText(item, L"pubDate"));
    if (!pubDate.empty()) return ParseRfc822Date(pubDate);
    return ParseW3cDate(toAnsi(ChildText(item, L"dc:date")));
}

}  // namespace

FeedKind DetectFeedKind(IXMLDOMElement* root) {
    const std::wstring tagName = root ? TagName(root) : std::wstring();
    if (contains(tagName, L"rss")) {
        return contains(AttributeText(root, L"version"), L"2") ? FeedKind::Rss2 : FeedKind::Rss;
    }
    if (contains(tagName, L"rdf")) return FeedKind::Rdf;
    return FeedKind::None;
}

bool FeedFetcher::ReadFeedBody(std::string body, const std::wstring& contentType, int32_t lastRetrieved,
                               int32_t htmlMode, int32_t senderMode) {
    lastError.clear();
    const ItemRules rules{lastRetrieved, htmlMode, senderMode};
    try {
        std::wstring text = DecodeResponseBody(body, contentType);
        std::string().swap(body);
        const XmlDocument document = LoadXmlDocument(std::move(text), lastError);
        if (!document) return false;
        const XmlElement root = RootElement(document.Get());
        switch (DetectFeedKind(root.Get())) {
            case FeedKind::Rss: ReadRss(root.Get(), rules); return true;
            case FeedKind::Rss2: ReadRss2(root.Get(), rules); return true;
            case FeedKind::Rdf: ReadRdf(root.Get(), rules); return true;
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
    ForEachChildElement(channel.Get(), [&](IXMLDOMElement* child, const std::wstring& tagName) {
        if (tagName == L"item") readItem(child, fallbackAuthor, rules);
    });
}

// Items stand beside the channel here; each channel met sets what the items after it use,
// and without one the previous document's title stays.
void FeedFetcher::ReadRdf(IXMLDOMElement* root, const ItemRules& rules) {
    std::wstring fallbackAuthor;
    ForEachChildElement(root, [&](IXMLDOMElement* child, const std::wstring& tagName) {
        if (tagName == L"channel") {
            fallbackAuthor = ChildText(child, L"dc:creator");
            feedTitle = ChildText(child, L"title");
            feedLink = ChildText(child, L"link");
        } else if (tagName == L"item") {
            readItem(child, fallbackAuthor, rules);
        }
    });
}

void FeedFetcher::readItem(IXMLDOMElement* item, const std::wstring& fallbackAuthor, const ItemRules& rules) {
    const int32_t date = itemDate(item);
    if (date <= rules.lastRetrieved) return;
    std::wstring author = ChildText(item, L"dc:creator");
    if (author.empty()) author = fallbackAuthor;
    std::wstring body = ChildText(item, L"content:encoded");
    if (body.empty()) body = ChildText(item, L"description");

    FeedItem feedItem;
    feedItem.date = date;
    feedItem.sender = MakeSender(author, rules.senderMode, feedTitle);
    feedItem.subject =
        MakeSubject(ChildText(item, L"title"), pluginSettings.SubjectPrefix, pluginSettings.SubjectPrefixText);
    feedItem.link = ChildText(item, L"link");
    feedItem.body = std::move(body);
    feedItem.htmlMode = rules.htmlMode;
    items.push_back(std::move(feedItem));
}
