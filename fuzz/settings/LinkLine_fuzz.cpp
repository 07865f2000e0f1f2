// The link line parser over arbitrary bytes, under the lead-byte rules of code pages 936,
// 932 and 1252. The first input byte picks the rule and the "1.1" reading; the rest is the
// line.
//
// What holds: a field reads back as itself exactly when it is clean: not empty, without a "|"
// at a character boundary, without control bytes, and not ending in a lead byte (which would
// take the following separator as its trail byte). The decimal fields always read back, the
// time as the nearest that the unsigned 32-bit field holds. So:
//  - every line splits into such fields separated (and perhaps led and ended) by "|" runs,
//    only the last field possibly ending in a lead byte;
//  - any fields format to one line without control bytes, which reads back whenever URL and
//    title are not empty: the numbers exactly, the title at its length, and URL and title
//    each as itself exactly when it was clean;
//  - so does an accepted line, whatever the "1.1" reading.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/LinkLine.h"
#include "support/FuzzCheck.h"
#include "support/LeadBytes.h"

namespace {

const LeadByteTest kLeadByteRules[] = {isGbkLeadByte, isShiftJisLeadByte, isSingleByte};

// Scans like the splitter; true when the text ends on a character boundary without a "|".
bool hasNoSeparator(std::string_view text, LeadByteTest isLeadByte, bool* endsInLeadByte) {
    *endsInLeadByte = false;
    for (size_t i = 0; i < text.size();) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (byte == '|') return false;
        if (isLeadByte(byte) && i + 1 == text.size()) *endsInLeadByte = true;
        i += isLeadByte(byte) && i + 1 < text.size() ? 2 : 1;
    }
    return true;
}

bool readsAsOneField(std::string_view text, LeadByteTest isLeadByte) {
    bool endsInLeadByte = false;
    return !text.empty() && hasNoSeparator(text, isLeadByte, &endsInLeadByte) && !endsInLeadByte;
}

bool hasControlByte(std::string_view text) {
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) return true;
    }
    return false;
}

bool isClean(std::string_view text, LeadByteTest isLeadByte) {
    return readsAsOneField(text, isLeadByte) && !hasControlByte(text);
}

// `reread` as the line of `written` gives it back.
bool sameNumbers(const LinkLineFields& reread, const LinkLineFields& written) {
    return reread.enabled == written.enabled && reread.htmlMode == written.htmlMode &&
           reread.senderMode == written.senderMode &&
           reread.lastRetrieved == std::clamp<int64_t>(written.lastRetrieved, 0, kLatestStoredTime);
}

void checkSplit(std::string_view line, LeadByteTest isLeadByte) {
    const std::vector<std::string_view> fields = splitLinkLine(line, isLeadByte);
    size_t position = 0;
    for (size_t i = 0; i < fields.size(); ++i) {
        const size_t start = static_cast<size_t>(fields[i].data() - line.data());
        FUZZ_CHECK(start >= position && start + fields[i].size() <= line.size(), line);
        FUZZ_CHECK(line.substr(position, start - position).find_first_not_of('|') == std::string_view::npos, line);
        FUZZ_CHECK(i == 0 || start > position, line);
        const bool last = i + 1 == fields.size();
        bool endsInLeadByte = false;
        FUZZ_CHECK(!fields[i].empty() && hasNoSeparator(fields[i], isLeadByte, &endsInLeadByte), line);
        FUZZ_CHECK(!endsInLeadByte || (last && start + fields[i].size() == line.size()), line);
        position = start + fields[i].size();
    }
    FUZZ_CHECK(line.substr(position).find_first_not_of('|') == std::string_view::npos, line);
}

void checkFormatsToOneSafeLine(const LinkLineFields& fields, LeadByteTest isLeadByte) {
    const std::string formatted = formatLinkLine(fields, isLeadByte);
    FUZZ_CHECK(!hasControlByte(formatted), formatted);
    for (bool version11 : {false, true}) {
        const std::optional<LinkLineFields> reread = parseLinkLine(formatted, version11, isLeadByte);
        FUZZ_CHECK(reread.has_value() == (!fields.url.empty() && !fields.title.empty()), formatted);
        if (!reread) continue;
        FUZZ_CHECK(sameNumbers(*reread, fields), formatted);
        FUZZ_CHECK(reread->title.size() == fields.title.size(), formatted);
        FUZZ_CHECK((reread->url == fields.url) == isClean(fields.url, isLeadByte), formatted);
        FUZZ_CHECK((reread->title == fields.title) == isClean(fields.title, isLeadByte), formatted);
    }
}

void checkAcceptedLineReadsBack(std::string_view line, bool legacyVersion11, LeadByteTest isLeadByte) {
    const std::optional<LinkLineFields> parsed = parseLinkLine(line, legacyVersion11, isLeadByte);
    if (!parsed) return;
    FUZZ_CHECK(readsAsOneField(parsed->url, isLeadByte) && readsAsOneField(parsed->title, isLeadByte), line);
    checkFormatsToOneSafeLine(*parsed, isLeadByte);
}

// Fields from the line's pieces between line feeds: URL, title, then the four numbers.
LinkLineFields fieldsFromPieces(std::string_view text) {
    std::string_view pieces[6];
    for (std::string_view& piece : pieces) {
        const size_t end = text.find('\n');
        piece = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    LinkLineFields fields;
    fields.url = std::string(pieces[0]);
    fields.title = std::string(pieces[1]);
    fields.enabled = parseDecimal(pieces[2]);
    fields.htmlMode = parseDecimal(pieces[3]);
    fields.senderMode = parseDecimal(pieces[4]);
    // Stretched past both ends of the field's range.
    fields.lastRetrieved = int64_t{parseDecimal(pieces[5])} * 3;
    return fields;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const LeadByteTest isLeadByte = kLeadByteRules[data[0] % 3];
    const bool legacyVersion11 = (data[0] & 4) != 0;
    const std::string_view line(reinterpret_cast<const char*>(data) + 1, size - 1);
    checkSplit(line, isLeadByte);
    checkAcceptedLineReadsBack(line, legacyVersion11, isLeadByte);
    checkFormatsToOneSafeLine(fieldsFromPieces(line), isLeadByte);
    return 0;
}
