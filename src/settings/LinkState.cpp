#include "settings/LinkState.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <functional>
#include <iterator>
#include <limits>

// The state file, line by line (fields separated by TAB, each line ending in a TAB and the
// CRC-32 of the bytes before it as 8 lower-case hex digits, then LF):
//   MvFeedwick state 1                                  the version, unchecked
//   L n url                                             opens link record n
//   E n etag
//   R n time outcome-word detail failuresInARow reason
//   D n newestDocumentTime olderDocumentTime
//   K n lastSeen key key ...                            keys as 16 lower-case hex digits
// The other lines name their link by n, so they may come in any order. Texts escape "%",
// TAB, CR and LF as %25, %09, %0D and %0A; times are signed decimals.

namespace {

constexpr uint64_t kFnvOffsetBasis = 14695981039346656037ull;
constexpr uint64_t kFnvPrime = 1099511628211ull;

uint64_t hashCodeUnit(uint64_t hash, uint32_t unit) {
    hash = (hash ^ (unit & 0xFF)) * kFnvPrime;
    return (hash ^ (unit >> 8)) * kFnvPrime;
}

constexpr int64_t kSecondsPerDay = 86400;

// A key outside the last two documents goes once it is older than this before the newest.
int64_t expiryOf(int64_t time) {
    constexpr int64_t span = kSeenKeyDays * kSecondsPerDay;
    return time < std::numeric_limits<int64_t>::min() + span ? std::numeric_limits<int64_t>::min()
                                                             : time - span;
}

// `seen` ordered by key; keeps the keys seen since `lastTwoFrom` and the newest
// kMaxOlderKeys of the others that have not expired, in key order.
void pruneSeen(std::vector<SeenItem>& seen, int64_t lastTwoFrom, int64_t expiredBefore) {
    static_assert(kMaxOlderKeys > 0);
    const auto isOlder = [lastTwoFrom](const SeenItem& item) { return item.lastSeen < lastTwoFrom; };
    std::vector<int64_t> olderTimes;
    for (const SeenItem& item : seen) {
        if (isOlder(item) && item.lastSeen >= expiredBefore) olderTimes.push_back(item.lastSeen);
    }
    // Of the keys seen exactly at `threshold`, only `quota` stay: the cap holds on ties.
    int64_t threshold = expiredBefore;
    size_t quota = std::numeric_limits<size_t>::max();
    if (olderTimes.size() > kMaxOlderKeys) {
        const auto last = olderTimes.begin() + (kMaxOlderKeys - 1);
        std::nth_element(olderTimes.begin(), last, olderTimes.end(), std::greater<>());
        threshold = *last;
        quota = kMaxOlderKeys - static_cast<size_t>(std::count_if(
                                    olderTimes.begin(), olderTimes.end(),
                                    [threshold](int64_t time) { return time > threshold; }));
    }
    seen.erase(std::remove_if(seen.begin(), seen.end(),
                              [&](const SeenItem& item) {
                                  if (!isOlder(item) || item.lastSeen > threshold) return false;
                                  if (item.lastSeen < threshold || quota == 0) return true;
                                  --quota;
                                  return false;
                              }),
               seen.end());
}

constexpr std::string_view kVersionLine = "MvFeedwick state 1";

// Indexed by FetchOutcome; the words are the file's, so they never change.
constexpr std::string_view kOutcomeWords[] = {
    "none", "read", "not-modified", "http", "timeout", "network", "too-large", "encoding", "not-feed", "parse",
};
static_assert(std::size(kOutcomeWords) == static_cast<size_t>(FetchOutcome::ParseError) + 1);

constexpr size_t kMaxKeysPerLine = 64;
constexpr char kHexDigits[] = "0123456789abcdef";
constexpr char kUpperHexDigits[] = "0123456789ABCDEF";

uint32_t checksumOf(std::string_view bytes) {
    return static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

// Appends one checked line field by field.
class LineWriter {
public:
    explicit LineWriter(std::string& text) : text_(text) {}

    void begin(char tag, int64_t number) {
        lineStart_ = text_.size();
        text_ += tag;
        add(number);
    }
    void add(int64_t number) {
        char digits[24];
        text_ += '\t';
        text_.append(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
    }
    void add(std::string_view word) {
        text_ += '\t';
        text_ += word;
    }
    void addEscaped(std::string_view text) {
        text_ += '\t';
        for (size_t start = 0; start < text.size();) {
            const size_t special = std::min(text.find_first_of("%\t\r\n", start), text.size());
            text_.append(text, start, special - start);
            if (special == text.size()) break;
            const unsigned char byte = static_cast<unsigned char>(text[special]);
            text_ += '%';
            text_ += kUpperHexDigits[byte >> 4];
            text_ += kUpperHexDigits[byte & 0xF];
            start = special + 1;
        }
    }
    void addHex(uint64_t value, int digits) {
        char hex[17] = {'\t'};
        for (int i = digits; i > 0; --i, value >>= 4) hex[i] = kHexDigits[value & 0xF];
        text_.append(hex, static_cast<size_t>(digits) + 1);
    }
    void end() {
        addHex(checksumOf(std::string_view(text_).substr(lineStart_)), 8);
        text_ += '\n';
    }

private:
    std::string& text_;
    size_t lineStart_ = 0;
};

void formatLink(LineWriter& line, int64_t number, const std::string& url, const LinkState& state,
                std::vector<SeenItem>& byTime) {
    line.begin('L', number);
    line.addEscaped(url);
    line.end();
    if (!state.etag.empty()) {
        line.begin('E', number);
        line.addEscaped(state.etag);
        line.end();
    }
    const FetchResult& result = state.lastResult;
    line.begin('R', number);
    line.add(result.time);
    line.add(kOutcomeWords[static_cast<size_t>(result.outcome)]);
    line.add(result.detail);
    line.add(state.failuresInARow);
    line.addEscaped(result.reason);
    line.end();
    line.begin('D', number);
    line.add(state.documentTimes[0]);
    line.add(state.documentTimes[1]);
    line.end();
    // Keys seen together share a line, so a line holds the time once for many keys.
    byTime.assign(state.seen.begin(), state.seen.end());
    std::sort(byTime.begin(), byTime.end(), [](const SeenItem& a, const SeenItem& b) {
        return a.lastSeen != b.lastSeen ? a.lastSeen < b.lastSeen : a.key < b.key;
    });
    for (size_t first = 0; first < byTime.size();) {
        line.begin('K', number);
        line.add(byTime[first].lastSeen);
        size_t next = first;
        while (next < byTime.size() && next - first < kMaxKeysPerLine &&
               byTime[next].lastSeen == byTime[first].lastSeen) {
            line.addHex(byTime[next].key, 16);
            ++next;
        }
        line.end();
        first = next;
    }
}

// Calls `handle` with each line of `text` without its line end.
template <typename Handle>
void forEachLine(std::string_view text, Handle handle) {
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        handle(line);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
}

// The value of each byte as a lower-case hex digit, or 16 for any other byte.
constexpr std::array<uint8_t, 256> kHexDigitValues = [] {
    std::array<uint8_t, 256> values{};
    for (uint8_t& value : values) value = 16;
    for (int digit = 0; digit < 16; ++digit) values[static_cast<uint8_t>(kHexDigits[digit])] = static_cast<uint8_t>(digit);
    return values;
}();

bool parseHex(std::string_view text, size_t digits, uint64_t& value) {
    if (text.size() != digits) return false;
    value = 0;
    for (const char c : text) {
        const uint8_t digit = kHexDigitValues[static_cast<uint8_t>(c)];
        if (digit == 16) return false;
        value = value << 4 | digit;
    }
    return true;
}

template <typename Number>
bool parseNumber(std::string_view text, Number& value) {
    const char* end = text.data() + text.size();
    const auto parsed = std::from_chars(text.data(), end, value);
    return !text.empty() && parsed.ec == std::errc() && parsed.ptr == end;
}

bool parseCount(std::string_view text, int32_t& value) { return parseNumber(text, value) && value >= 0; }

bool parseOutcome(std::string_view word, FetchOutcome& outcome) {
    const auto found = std::find(std::begin(kOutcomeWords), std::end(kOutcomeWords), word);
    if (found == std::end(kOutcomeWords)) return false;
    outcome = static_cast<FetchOutcome>(found - std::begin(kOutcomeWords));
    return true;
}

// The byte that the writer escapes as "%" `high` `low`, or 0.
char escapedByte(char high, char low) {
    if (high == '2' && low == '5') return '%';
    if (high != '0') return 0;
    switch (low) {
        case '9': return '\t';
        case 'D': case 'd': return '\r';
        case 'A': case 'a': return '\n';
        default: return 0;
    }
}

// Undoes the writer's four escapes; any other "%" (a hand-written URL's) stays as it is.
std::string unescape(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char byte = text[i] == '%' && i + 2 < text.size() ? escapedByte(text[i + 1], text[i + 2]) : 0;
        if (byte != 0) {
            result += byte;
            i += 2;
        } else {
            result += text[i];
        }
    }
    return result;
}

// The fields of a line whose check holds; false for a line that is cut or damaged.
bool splitCheckedLine(std::string_view line, std::vector<std::string_view>& fields) {
    const size_t checkStart = line.rfind('\t');
    uint64_t check = 0;
    if (checkStart == std::string_view::npos || !parseHex(line.substr(checkStart + 1), 8, check)) return false;
    const std::string_view body = line.substr(0, checkStart);
    if (checksumOf(body) != check) return false;
    fields.clear();
    for (size_t start = 0;;) {
        const size_t tab = body.find('\t', start);
        fields.push_back(body.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos) return true;
        start = tab + 1;
    }
}

using LinksByNumber = std::unordered_map<uint64_t, LinkState*>;

// Applies a checked line other than L to the link it names; a bad field skips the line.
void applyLine(const std::vector<std::string_view>& fields, const LinksByNumber& links) {
    uint64_t number = 0;
    if (fields.size() < 3 || fields[0].size() != 1 || !parseNumber(fields[1], number)) return;
    const auto link = links.find(number);
    if (link == links.end()) return;
    LinkState& state = *link->second;
    switch (fields[0][0]) {
        case 'E':
            if (fields.size() == 3) state.etag = unescape(fields[2]);
            break;
        case 'R': {
            FetchResult result;
            int32_t failures = 0;
            if (fields.size() != 7 || !parseNumber(fields[2], result.time) || !parseOutcome(fields[3], result.outcome) ||
                !parseNumber(fields[4], result.detail) || !parseCount(fields[5], failures)) {
                break;
            }
            result.reason = unescape(fields[6]);
            state.lastResult = std::move(result);
            state.failuresInARow = failures;
            break;
        }
        case 'D': {
            int64_t times[2];
            if (fields.size() == 4 && parseNumber(fields[2], times[0]) && parseNumber(fields[3], times[1])) {
                state.documentTimes[0] = times[0];
                state.documentTimes[1] = times[1];
            }
            break;
        }
        case 'K': {
            int64_t lastSeen = 0;
            if (fields.size() < 4 || !parseNumber(fields[2], lastSeen)) break;
            const size_t before = state.seen.size();
            for (size_t i = 3; i < fields.size(); ++i) {
                uint64_t key = 0;
                if (!parseHex(fields[i], 16, key)) {
                    state.seen.resize(before);
                    break;
                }
                state.seen.push_back({key, lastSeen});
            }
            break;
        }
        default:
            break;
    }
}

// Ordered by key, each key once, with the newest time any line gave it.
void normalizeSeen(std::vector<SeenItem>& seen) {
    std::sort(seen.begin(), seen.end(), [](const SeenItem& a, const SeenItem& b) {
        return a.key != b.key ? a.key < b.key : a.lastSeen > b.lastSeen;
    });
    seen.erase(std::unique(seen.begin(), seen.end(),
                           [](const SeenItem& a, const SeenItem& b) { return a.key == b.key; }),
               seen.end());
}

bool isLinkLine(std::string_view line) { return line.size() >= 2 && line[0] == 'L' && line[1] == '\t'; }

}  // namespace

ItemKey itemKeyOf(std::wstring_view keyText) {
    uint64_t hash = kFnvOffsetBasis;
    for (const wchar_t c : keyText) {
        const uint32_t code = static_cast<uint32_t>(c);
        // Where wchar_t holds a whole code point, hash the surrogate pair Windows holds.
        if (code > 0xFFFF && code <= 0x10FFFF) {
            hash = hashCodeUnit(hash, 0xD800 + ((code - 0x10000) >> 10));
            hash = hashCodeUnit(hash, 0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            hash = hashCodeUnit(hash, code & 0xFFFF);
        }
    }
    return hash;
}

bool LinkState::hasSeen(ItemKey key) const {
    const auto found = std::lower_bound(seen.begin(), seen.end(), key,
                                        [](const SeenItem& item, ItemKey wanted) { return item.key < wanted; });
    return found != seen.end() && found->key == key;
}

void LinkState::recordDocument(const std::vector<ItemKey>& keys, int64_t time) {
    std::vector<ItemKey> documentKeys(keys);
    std::sort(documentKeys.begin(), documentKeys.end());
    documentKeys.erase(std::unique(documentKeys.begin(), documentKeys.end()), documentKeys.end());
    std::vector<SeenItem> merged;
    merged.reserve(seen.size() + documentKeys.size());
    auto old = seen.begin();
    for (const ItemKey key : documentKeys) {
        while (old != seen.end() && old->key < key) merged.push_back(*old++);
        if (old != seen.end() && old->key == key) ++old;
        merged.push_back({key, time});
    }
    merged.insert(merged.end(), old, seen.end());
    seen.swap(merged);
    documentTimes[1] = documentTimes[0];
    documentTimes[0] = time;
    // The older of the two times: after the clock went back, both documents' keys still count.
    pruneSeen(seen, std::min(documentTimes[0], documentTimes[1]), expiryOf(time));
}

bool operator==(const FetchResult& a, const FetchResult& b) {
    return a.time == b.time && a.outcome == b.outcome && a.detail == b.detail && a.reason == b.reason;
}

bool operator==(const SeenItem& a, const SeenItem& b) { return a.key == b.key && a.lastSeen == b.lastSeen; }

bool operator==(const LinkState& a, const LinkState& b) {
    return a.etag == b.etag && a.lastResult == b.lastResult && a.failuresInARow == b.failuresInARow &&
           a.documentTimes[0] == b.documentTimes[0] && a.documentTimes[1] == b.documentTimes[1] && a.seen == b.seen;
}

std::string formatLinkStates(const LinkStates& states) {
    // In URL order, so that the same states always give the same file.
    std::vector<const LinkStates::value_type*> links;
    links.reserve(states.size());
    size_t keyCount = 0;
    for (const auto& link : states) {
        links.push_back(&link);
        keyCount += link.second.seen.size();
    }
    std::sort(links.begin(), links.end(), [](const auto* a, const auto* b) { return a->first < b->first; });
    std::string text;
    text.reserve(64 + links.size() * 200 + keyCount * 17);
    text += kVersionLine;
    text += '\n';
    LineWriter line(text);
    std::vector<SeenItem> byTime;
    int64_t number = 0;
    for (const auto* link : links) formatLink(line, number++, link->first, link->second, byTime);
    return text;
}

LinkStates parseLinkStates(std::string_view text) {
    LinkStates states;
    const size_t versionEnd = std::min(text.find('\n'), text.size());
    std::string_view version = text.substr(0, versionEnd);
    if (!version.empty() && version.back() == '\r') version.remove_suffix(1);
    if (version != kVersionLine) return states;
    text.remove_prefix(std::min(versionEnd + 1, text.size()));

    // The L lines first, as the others may come before the record they name.
    LinksByNumber links;
    std::vector<std::string_view> fields;
    forEachLine(text, [&](std::string_view line) {
        uint64_t number = 0;
        if (!isLinkLine(line) || !splitCheckedLine(line, fields) || fields.size() != 3 ||
            !parseNumber(fields[1], number) || links.count(number) != 0) {
            return;
        }
        links.emplace(number, &states[unescape(fields[2])]);
    });
    forEachLine(text, [&](std::string_view line) {
        if (!isLinkLine(line) && splitCheckedLine(line, fields)) applyLine(fields, links);
    });
    for (auto& link : states) normalizeSeen(link.second.seen);
    return states;
}
