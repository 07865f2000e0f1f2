#include "settings/LinkLine.h"

#include <algorithm>

namespace {

bool isControlByte(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }

// `field` with every byte that could break its line handed to `replace`: a separator, a
// control byte (a line break would end the line), and a lead byte without a trail byte
// (it would take the following separator as its trail). Double-byte characters pass whole.
template <typename Replace>
std::string replaceUnsafeBytes(std::string_view field, LeadByteTest isLeadByte, Replace replace) {
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(field[i]);
        const bool hasTrailByte = i + 1 < field.size() && !isControlByte(static_cast<unsigned char>(field[i + 1]));
        if (isLeadByte(byte)) {
            if (hasTrailByte) {
                out += field.substr(i++, 2);
            } else {
                replace(byte, out);
            }
        } else if (byte == '|' || isControlByte(byte)) {
            replace(byte, out);
        } else {
            out += field[i];
        }
    }
    return out;
}

// A control byte becomes a blank, a separator or a lone lead byte "?": the title keeps its length.
std::string cleanTitle(std::string_view title, LeadByteTest isLeadByte) {
    return replaceUnsafeBytes(title, isLeadByte,
                              [](unsigned char byte, std::string& out) { out += isControlByte(byte) ? ' ' : '?'; });
}

// Unsafe bytes are percent-encoded, so the address still names the same resource.
std::string cleanUrl(std::string_view url, LeadByteTest isLeadByte) {
    return replaceUnsafeBytes(url, isLeadByte, [](unsigned char byte, std::string& out) {
        const char* const hexDigits = "0123456789ABCDEF";
        out += '%';
        out += hexDigits[byte >> 4];
        out += hexDigits[byte & 0x0F];
    });
}

}  // namespace

std::vector<std::string_view> splitLinkLine(std::string_view line, LeadByteTest isLeadByte) {
    std::vector<std::string_view> fields;
    size_t fieldStart = 0;
    size_t position = 0;
    auto closeField = [&](size_t end) {
        if (end > fieldStart) fields.push_back(line.substr(fieldStart, end - fieldStart));
    };
    while (position < line.size()) {
        const unsigned char byte = static_cast<unsigned char>(line[position]);
        if (byte == '|') {
            closeField(position);
            fieldStart = ++position;
        } else if (isLeadByte(byte) && position + 1 < line.size()) {
            position += 2;
        } else {
            ++position;
        }
    }
    closeField(line.size());
    return fields;
}

int32_t parseDecimal(std::string_view text) {
    size_t position = 0;
    while (position < text.size() && (text[position] == ' ' || text[position] == '\t')) ++position;
    bool negative = false;
    if (position < text.size() && (text[position] == '-' || text[position] == '+')) {
        negative = text[position] == '-';
        ++position;
    }
    uint32_t value = 0;
    for (; position < text.size() && text[position] >= '0' && text[position] <= '9'; ++position) {
        value = value * 10u + static_cast<uint32_t>(text[position] - '0');
    }
    return static_cast<int32_t>(negative ? 0u - value : value);
}

std::optional<LinkLineFields> parseLinkLine(std::string_view line, bool legacyVersion11,
                                            LeadByteTest isLeadByte) {
    const std::vector<std::string_view> tokens = splitLinkLine(line, isLeadByte);
    if (tokens.size() < 6) return std::nullopt;
    LinkLineFields fields;
    fields.enabled = parseDecimal(tokens[0]);
    fields.url = std::string(tokens[1]);
    fields.title = std::string(tokens[2]);
    fields.htmlMode = parseDecimal(tokens[3]);
    fields.senderMode = parseDecimal(tokens[4]);
    fields.lastRetrieved = static_cast<uint32_t>(parseDecimal(tokens[5]));
    if (legacyVersion11 && tokens.size() > 6 && parseDecimal(tokens[6]) == 1) fields.htmlMode = 0;
    return fields;
}

std::string formatLinkLine(const LinkLineFields& fields, LeadByteTest isLeadByte) {
    const int64_t lastRetrieved = std::clamp<int64_t>(fields.lastRetrieved, 0, kLatestStoredTime);
    return std::to_string(fields.enabled) + "|" + cleanUrl(fields.url, isLeadByte) + "|" +
           cleanTitle(fields.title, isLeadByte) + "|" +
           std::to_string(fields.htmlMode) + "|" + std::to_string(fields.senderMode) + "|" +
           std::to_string(lastRetrieved);
}
