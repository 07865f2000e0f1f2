#pragma once
// Reads feeds into FeedItems: one fetcher per retrieval run or per dialog check, used on
// the thread that made it.
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "common/ComHolders.h"
#include "feed/FeedItem.h"
#include "feed/HttpRequest.h"
#include "settings/LinkState.h"

struct IXMLDOMElement;

enum class FeedKind { None, Rss, Rss2, Rdf, Atom };

inline constexpr wchar_t kAtomNamespace[] = L"http://www.w3.org/2005/Atom";

// How a fetch tells new items from old ones. By default by date alone: an item is new when it
// is dated after the last retrieval.
struct ItemMemoryRule {
    // Item memory is on: the fetch collects the keys of the document's items, and a link never
    // retrieved also takes its undated items.
    bool remembers = false;
    // What is remembered of the link once a document of it has been read; null before. Then
    // an item is new when its key is unseen, here and earlier in the document, and it is
    // undated or dated after the last retrieval less kLateItemSeconds.
    const LinkState* known = nullptr;
};

// How long after its date an item may still appear in a feed and be mailed: feeds served
// through caches show items some minutes late, and some publish items under the day they were
// written.
constexpr int64_t kLateItemSeconds = 14 * 24 * 3600;

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
    // a change when it was answered 304, otherwise what ReadFeedBody makes of the body; and
    // `lastResult` says which.
    bool ReadResponse(HttpGetResult response, const std::wstring& url, int64_t lastRetrieved, int32_t htmlMode,
                      int32_t senderMode, const ItemMemoryRule& memory = {});

    // What ReadResponse does with a received body: decode, load, classify, read. Relative item
    // links resolve against `documentUrl` and the xml:base values inside. False with
    // `lastError` set when the body is not well-formed XML, false with it empty when the
    // root is no feed or a COM call failed; items read before a failure stay. The body is
    // freed once decoded, so Fetch moves it in.
    bool ReadFeedBody(std::string body, const std::wstring& contentType, const std::wstring& documentUrl,
                      int64_t lastRetrieved, int32_t htmlMode, int32_t senderMode, const ItemMemoryRule& memory = {});

    std::wstring feedTitle;       // of the last document read
    std::wstring feedLink;        // of the last document read
    std::wstring lastError;       // the XML load error of the last fetch
    std::vector<FeedItem> items;  // never emptied here: a run collects every link's items
    FetchResult lastResult;       // how the last fetch or read ended; its time is left 0
    // With item memory on, the keys of every item of the last document read, each once.
    std::vector<ItemKey> documentKeys;

private:
    struct ItemRules {
        const std::wstring& documentUrl;
        int64_t lastRetrieved;
        int32_t htmlMode;
        int32_t senderMode;
        const ItemMemoryRule& memory;
        int64_t readTime;  // the date an undated item is mailed with
    };

    // The texts that make an item a mail, and what tells it from the others.
    struct ItemTexts {
        std::wstring author;
        std::wstring title;
        std::wstring link;
        std::wstring body;
        std::wstring key;  // the guid or the like; empty to key the item by its title and body
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
    // Whether an item of that date is new by the date rule, before its texts are read.
    static bool mayBeNew(const std::optional<int64_t>& date, const ItemRules& rules);
    // Whether the item is new by item memory, which records its key; the date rule's verdict
    // when memory is off.
    bool isNew(const std::optional<int64_t>& date, const ItemTexts& texts, const ItemRules& rules);
    // Appends a new item, its sender and subject built from the author and the title.
    void appendItem(const std::optional<int64_t>& date, ItemTexts texts, const ItemRules& rules);
    // Reads the document with the reader its root calls for; false when it is no feed.
    bool readDocument(IXMLDOMElement* root, const ItemRules& rules);

    std::unordered_set<ItemKey> keysInDocument_;
    const std::atomic<int32_t>* stopRequested_;
    ComInitialization com_;  // for the fetcher's whole life
};
