#pragma once
// Reads feeds into FeedItems: one fetcher per retrieval run or per dialog check, used on
// the thread that made it.
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/ComHolders.h"
#include "feed/FeedItem.h"
#include "feed/HttpRequest.h"

struct IXMLDOMElement;

enum class FeedKind { None, Rss, Rss2, Rdf, Atom };

inline constexpr wchar_t kAtomNamespace[] = L"http://www.w3.org/2005/Atom";

// The reader a root element calls for: rss with a version containing "2" (2.0, 0.92), other
// rss (0.91, none), or rdf, by tag names compared case-sensitively, prefix included; else
// feed of the Atom namespace, whatever prefix the document gives it.
FeedKind DetectFeedKind(IXMLDOMElement* root);

class FeedFetcher {
public:
    // Background fetches give up once `*stopRequested` is set; the flag outlives the fetcher.
    explicit FeedFetcher(const std::atomic<int32_t>* stopRequested = nullptr) : stopRequested_(stopRequested) {}

    // Fetches `url` and appends the items dated after `lastRetrieved`. True when the feed
    // was read or the server answered 304, which leaves every field as it was. Foreground
    // fetches block and show the wait cursor; background ones heed the stop request.
    bool Fetch(const std::wstring& url, int64_t lastRetrieved, int32_t htmlMode, int32_t timeoutSeconds,
               int32_t senderMode, bool foreground);

    // What Fetch does with the response to `url`: false when the request failed, true without
    // a change when it was answered 304, otherwise what ReadFeedBody makes of the body.
    bool ReadResponse(HttpGetResult response, const std::wstring& url, int64_t lastRetrieved, int32_t htmlMode,
                      int32_t senderMode);

    // What ReadResponse does with a received body: decode, load, classify, read. Relative item
    // links resolve against `documentUrl` and the xml:base values inside. False with
    // `lastError` set when the body is not well-formed XML, false with it empty when the
    // root is no feed or a COM call failed; items read before a failure stay. The body is
    // freed once decoded, so Fetch moves it in.
    bool ReadFeedBody(std::string body, const std::wstring& contentType, const std::wstring& documentUrl,
                      int64_t lastRetrieved, int32_t htmlMode, int32_t senderMode);

    std::wstring feedTitle;       // of the last document read
    std::wstring feedLink;        // of the last document read
    std::wstring lastError;       // the XML load error of the last fetch
    std::vector<FeedItem> items;  // never emptied here: a run collects every link's items

private:
    struct ItemRules {
        const std::wstring& documentUrl;
        int64_t lastRetrieved;
        int32_t htmlMode;
        int32_t senderMode;
    };

    // The readers append the new items; a failing DOM call throws FetchError out of them.
    void ReadRss(IXMLDOMElement* root, const ItemRules& rules);
    void ReadRss2(IXMLDOMElement* root, const ItemRules& rules);
    void ReadRdf(IXMLDOMElement* root, const ItemRules& rules);
    void ReadAtom(IXMLDOMElement* root, const ItemRules& rules);
    void readChannel(IXMLDOMElement* root, const wchar_t* fallbackAuthorName, const ItemRules& rules);
    // `base` is the URL that the item's parent makes of the document's address.
    void readItem(IXMLDOMElement* item, const std::wstring& fallbackAuthor, const std::wstring& base,
                  const ItemRules& rules);
    // `base` is the URL that the feed element makes of the document's address.
    void readEntry(IXMLDOMElement* entry, const std::wstring& feedAuthor, const std::wstring& base,
                   const ItemRules& rules);
    // Whether an item of that date is newer than the last retrieval.
    static bool isNew(const std::optional<int64_t>& date, const ItemRules& rules);
    // Appends a new item, its sender and subject built from `author` and `title`.
    void appendItem(int64_t date, const std::wstring& author, const std::wstring& title, std::wstring link,
                    std::wstring body, const ItemRules& rules);

    const std::atomic<int32_t>* stopRequested_;
    ComInitialization com_;  // for the fetcher's whole life
};
