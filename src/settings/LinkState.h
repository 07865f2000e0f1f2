#pragma once
// What the plug-in remembers of each link from run to run, beside the INI file: the keys of
// the items it has seen, the server's ETag, and how the last fetch went. Portable: the
// state file is read back after crashes and hand edits, so its reader takes any bytes.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// How a link's last fetch ended.
enum class FetchOutcome : uint8_t {
    None,          // not fetched yet
    Read,          // detail: the number of new items
    NotModified,   // the server answered 304
    HttpStatus,    // detail: the status of an answer that was no feed
    TimedOut,
    NetworkError,  // detail: the system's error code
    TooLarge,      // the body passed the size cap
    BadEncoding,   // a compressed body that would not decode
    NotAFeed,      // well-formed XML, but no feed
    ParseError,    // detail: the line; reason: the parser's text
};

struct FetchResult {
    int64_t time = 0;  // seconds since 1970 UTC
    FetchOutcome outcome = FetchOutcome::None;
    int64_t detail = 0;
    std::string reason;  // UTF-8
};

// An item key as stored: a 64-bit digest of the key's text.
using ItemKey = uint64_t;

// The digest of an item's key text, over its UTF-16 code units (FNV-1a).
ItemKey itemKeyOf(std::wstring_view keyText);

struct SeenItem {
    ItemKey key = 0;
    int64_t lastSeen = 0;  // when the newest document holding it was read
};

struct LinkState {
    std::string etag;  // as the server sent it, quotes included
    FetchResult lastResult;
    int32_t failuresInARow = 0;  // never negative: the file reads no negative count
    int64_t documentTimes[2] = {0, 0};  // when the last two documents were read, newest first
    std::vector<SeenItem> seen;         // ordered by key, each key once

    bool hasSeen(ItemKey key) const;
    // Whether a document of the link has been read since it is remembered.
    bool hasReadDocument() const { return documentTimes[0] != 0; }
    // Records that a document read at `time` held these keys (in any order, repeats allowed),
    // then lets go of keys that are in neither of the last two documents and were last seen
    // more than kSeenKeyDays days before `time`, and keeps at most kMaxOlderKeys of the rest
    // besides those two documents' keys, newest first.
    void recordDocument(const std::vector<ItemKey>& keys, int64_t time);
};

constexpr int64_t kSeenKeyDays = 60;
constexpr size_t kMaxOlderKeys = 1000;

// Field by field; a state read back from its file equals the state written.
bool operator==(const FetchResult& a, const FetchResult& b);
bool operator==(const SeenItem& a, const SeenItem& b);
bool operator==(const LinkState& a, const LinkState& b);

// By the link's URL in UTF-8.
using LinkStates = std::unordered_map<std::string, LinkState>;

// The state file's text: a version line, then UTF-8 lines that each carry their own check,
// so that a damaged or cut line costs that line alone.
std::string formatLinkStates(const LinkStates& states);
// Whatever of `text` reads; never throws for any bytes (only std::bad_alloc).
LinkStates parseLinkStates(std::string_view text);
