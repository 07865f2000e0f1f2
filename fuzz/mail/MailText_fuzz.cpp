// composeMailText for any author, title, link, item text and page. Input: a control byte
// (bits 0-1 the HTML mode, 3 standing for an unknown one; bit 2 whether the page was
// fetched; bits 3-5 the page's charset; bits 6-7 the sender mode), the date as four
// little-endian bytes, then author, title, link, item text and page separated by 0xFF bytes
// (no UTF-8 text holds one). The sender and subject are made from author and title as the
// feed layer makes them. Checked: exactly the seven header lines in order, none holding a
// CR, LF or NUL, the encoded words decoding to the sender and subject, which hold no control
// character, a Message-Id of printable ASCII without blanks, brackets, quotes, backslashes or
// a second "@" (the link with exactly those bytes percent-encoded), then one empty line, then
// exactly the body with every line end a CR LF.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "feed/CharsetNames.h"
#include "feed/FeedItem.h"
#include "mail/MailText.h"
#include "support/Base64Decode.h"
#include "support/ExactCopy.h"
#include "support/FuzzCheck.h"
#include "support/LineEnds.h"
#include "support/WideText.h"

namespace {

constexpr std::string_view kNotice =
    "\r\nMvFeedwick: "
    "\xE7\x94\xB1\xE4\xBA\x8E\xE8\xBF\x9E\xE6\x8E\xA5\xE8\xB6\x85\xE6\x97\xB6\xEF\xBC\x8C"
    "\xE4\xB8\x8B\xE9\x9D\xA2\xE9\x93\xBE\xE6\x8E\xA5\xE7\x82\xB9\xE7\x9A\x84"
    "HTML"
    "\xE9\xA1\xB5\xE4\xB8\x8D\xE8\x83\xBD\xE6\x94\xB6\xE5\x8F\x96";

std::string replaceAll(std::string text, std::string_view from, std::string_view to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::string framed(std::string_view body, std::string_view link) {
    return "<HTML>\r\n<HEAD>\r\n<META HTTP-EQUIV=\"content-type\" content=\"text/html; charset=UTF-8\">\r\n"
           "</HEAD>\r\n<BODY>\r\n" +
           std::string(body) + "<BR><BR><A HREF=\"" + std::string(link) + "\">" + std::string(link) +
           "</A>\r\n</BODY>\r\n</HTML>\r\n";
}

std::string expectedBody(const MailParts& parts) {
    std::string body;
    if (parts.htmlMode == HtmlBreakLines) {
        body = framed(replaceAll(replaceAll(std::string(parts.body), "\r\n", "\n"), "\n", "<BR>\r\n"), parts.link);
    } else if (parts.htmlMode == HtmlNormal) {
        body = framed(parts.body, parts.link);
    } else if (parts.htmlMode == HtmlPrefetchLink) {
        body = parts.pageFetched ? std::string(parts.page) : framed(kNotice, parts.link);
    }
    body = body.substr(0, body.find('\0'));
    return replaceAll(replaceAll(replaceAll(body, "\r\n", "\n"), "\r", "\n"), "\n", "\r\n") + "\r\n";
}

bool hasControlBytes(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    }
    return false;
}

constexpr Charset kPageCharsets[] = {kUtf8, kEucJp, kShiftJis, kGbk, kBig5, kEucKr, kWindows1252, kIso8859_8I};

std::string expectedCharsetLabel(const MailParts& parts) {
    const bool pageInMail = parts.htmlMode == HtmlPrefetchLink && parts.pageFetched;
    return "; charset=" + std::string(pageInMail ? parts.pageCharset.name : "UTF-8");
}

bool isUnsafeInMessageId(unsigned char byte) {
    constexpr std::string_view kSpecials = "<>@\"\\";
    return byte < 0x21 || byte > 0x7E || kSpecials.find(static_cast<char>(byte)) != std::string_view::npos;
}

std::string percentEncoded(std::string_view link) {
    std::string encoded;
    for (char c : link) {
        const unsigned char byte = static_cast<unsigned char>(c);
        char escape[4];
        std::snprintf(escape, sizeof escape, "%%%02X", byte);
        encoded += isUnsafeInMessageId(byte) ? std::string(escape) : std::string(1, c);
    }
    return encoded;
}

// "Message-Id: <ID@mvfeedwick.invalid>" with ID printable ASCII, no blank, bracket, quote,
// backslash or "@": the link with exactly those bytes percent-encoded, so a link without
// them is the ID itself.
void checkMessageId(std::string_view line, std::string_view link) {
    constexpr std::string_view start = "Message-Id: <", end = "@mvfeedwick.invalid>";
    FUZZ_CHECK(line.size() >= start.size() + end.size() && line.substr(0, start.size()) == start &&
                   line.substr(line.size() - end.size()) == end,
               line);
    const std::string_view id = line.substr(start.size(), line.size() - start.size() - end.size());
    for (char c : id) FUZZ_CHECK(!isUnsafeInMessageId(static_cast<unsigned char>(c)), line);
    FUZZ_CHECK(id == percentEncoded(link), line);
}

// "Ddd, DD Mmm YYYY HH:MM:SS +0900".
bool isDateText(std::string_view text) {
    static constexpr std::string_view shape = "Aaa, 00 Aaa 0000 00:00:00 +0900";
    if (text.size() != shape.size() || text.substr(25) != shape.substr(25)) return false;
    for (size_t i = 0; i < 25; ++i) {
        const char want = shape[i], got = text[i];
        const bool fits = want == '0'   ? got >= '0' && got <= '9'
                          : want == 'A' ? got >= 'A' && got <= 'Z'
                          : want == 'a' ? got >= 'a' && got <= 'z'
                                        : got == want;
        if (!fits) return false;
    }
    return true;
}

bool carriesEncodedWord(std::string_view line, std::string_view name, std::string_view text) {
    const std::string prefix = std::string(name) + ": =?UTF-8?B?";
    if (line.size() < prefix.size() + 2 || line.substr(0, prefix.size()) != prefix ||
        line.substr(line.size() - 2) != "?=") {
        return false;
    }
    const std::optional<std::string> decoded =
        decodeBase64Strictly(line.substr(prefix.size(), line.size() - prefix.size() - 2));
    return decoded && *decoded == text;
}

std::vector<std::string_view> headerLines(std::string_view headerBlock) {
    std::vector<std::string_view> lines;
    for (size_t start = 0; start < headerBlock.size();) {
        const size_t end = headerBlock.find("\r\n", start);
        lines.push_back(headerBlock.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

void checkMail(const MailParts& parts, const std::string& mail) {
    FUZZ_CHECK(mail.find('\0') == std::string::npos, mail);
    const size_t emptyLine = mail.find("\r\n\r\n");
    FUZZ_CHECK(emptyLine != std::string::npos, mail);
    const std::string_view headerBlock = std::string_view(mail).substr(0, emptyLine + 2);
    const std::vector<std::string_view> lines = headerLines(headerBlock);
    FUZZ_CHECK(lines.size() == 7, headerBlock);
    for (std::string_view line : lines) FUZZ_CHECK(line.find_first_of("\r\n") == std::string_view::npos, line);
    FUZZ_CHECK(carriesEncodedWord(lines[0], "From", parts.sender), lines[0]);
    FUZZ_CHECK(lines[1].substr(0, 6) == "Date: " && isDateText(lines[1].substr(6)), lines[1]);
    FUZZ_CHECK(carriesEncodedWord(lines[2], "Subject", parts.subject), lines[2]);
    checkMessageId(lines[3], parts.link);
    FUZZ_CHECK(lines[4] == "MIME-Version: 1.0", lines[4]);
    FUZZ_CHECK(lines[5] == "Content-Type: text/html" + expectedCharsetLabel(parts), lines[5]);
    FUZZ_CHECK(lines[6] == "Content-Transfer-Encoding: 8bit", lines[6]);
    FUZZ_CHECK(std::string_view(mail).substr(emptyLine + 4) == expectedBody(parts), mail);
    FUZZ_CHECK(!hasBareLineEnd(mail), mail);
    // The texts the encoded words decode to, as the feed layer makes them.
    FUZZ_CHECK(!hasControlBytes(parts.sender) && !hasControlBytes(parts.subject), lines[0]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) return 0;
    const uint8_t control = data[0];
    uint32_t date = 0;
    for (int i = 0; i < 4; ++i) date |= uint32_t(data[1 + i]) << (8 * i);
    std::string_view rest(reinterpret_cast<const char*>(data) + 5, size - 5);
    std::vector<ExactCopy> fields;
    for (int i = 0; i < 5; ++i) {
        const size_t end = rest.find('\xFF');
        fields.emplace_back(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    MailParts parts;
    parts.htmlMode = control & 3;
    parts.pageFetched = (control & 4) != 0;
    parts.pageCharset = kPageCharsets[(control >> 3) & 7];
    parts.date = static_cast<int32_t>(date);
    // From the feed's author and title, through the feed layer's sender and subject rules.
    const std::string sender =
        utf8Of(MakeSender(wideTextOf(fields[0].view()), (control >> 6) & 3, L"Feed\r\ntitle\t\x7F"));
    const std::string subject = utf8Of(MakeSubject(wideTextOf(fields[1].view()), 1, L"[Blog]_"));
    parts.sender = sender;
    parts.subject = subject;
    parts.link = fields[2].view();
    parts.body = fields[3].view();
    parts.page = fields[4].view();
    checkMail(parts, composeMailText(parts));
    return 0;
}
