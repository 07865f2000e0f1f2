#include "mail/MailText.h"

#include "common/DateText.h"

namespace {

// Stands in for a page that could not be fetched: "\r\nMvFeedwick: 由于连接超时，下面链接点的HTML页不能收取".
constexpr std::string_view timeoutNotice =
    "\r\nMvFeedwick: "
    "\xE7\x94\xB1\xE4\xBA\x8E\xE8\xBF\x9E\xE6\x8E\xA5\xE8\xB6\x85\xE6\x97\xB6\xEF\xBC\x8C"
    "\xE4\xB8\x8B\xE9\x9D\xA2\xE9\x93\xBE\xE6\x8E\xA5\xE7\x82\xB9\xE7\x9A\x84"
    "HTML"
    "\xE9\xA1\xB5\xE4\xB8\x8D\xE8\x83\xBD\xE6\x94\xB6\xE5\x8F\x96";

// Any fixed text without "@" or ">" would do; the reserved top-level domain keeps it from
// ever naming a real host.
constexpr std::string_view kMessageIdDomain = "mvfeedwick.invalid";

constexpr std::string_view kFrameStart =
    "<HTML>\r\n"
    "<HEAD>\r\n"
    "<META HTTP-EQUIV=\"content-type\" content=\"text/html; charset=UTF-8\">\r\n"
    "</HEAD>\r\n"
    "<BODY>\r\n";
constexpr std::string_view kFrameEnd =
    "</BODY>\r\n"
    "</HTML>\r\n";

// Everything of the frame after the body: the anchor to the item's page and the closing tags.
void appendFrameEnd(std::string& out, std::string_view link) {
    out += "<BR><BR><A HREF=\"";
    out += link;
    out += "\">";
    out += link;
    out += "</A>\r\n";
    out += kFrameEnd;
}

// The item text in its HTML frame, followed by the anchor.
void wrapHtmlDocument(std::string& out, std::string_view body, std::string_view link) {
    out += kFrameStart;
    out += body;
    appendFrameEnd(out, link);
}

// CR LF and lone LF both become "<BR>" and CR LF; a lone CR stays.
void appendWithBreakTags(std::string& out, std::string_view text) {
    size_t lineStart = 0;
    for (size_t lineFeed = text.find('\n'); lineFeed != std::string_view::npos;
         lineFeed = text.find('\n', lineStart)) {
        const bool afterCr = lineFeed > lineStart && text[lineFeed - 1] == '\r';
        out.append(text.data() + lineStart, lineFeed - lineStart - (afterCr ? 1 : 0));
        out += "<BR>\r\n";
        lineStart = lineFeed + 1;
    }
    out.append(text.data() + lineStart, text.size() - lineStart);
}

void appendEncodedWord(std::string& out, std::string_view utf8) {
    out += "=?UTF-8?B?";
    out += encodeBase64(utf8.data(), utf8.size());
    out += "?=";
}

// Bytes a message id cannot hold: blanks and control bytes would break the header line apart
// or smuggle in new ones, brackets, quotes, backslashes and "@" end or split the id, and a
// header has no place for 8-bit bytes. "%" stays, so that links without these keep their ids.
bool breaksMessageId(unsigned char byte) {
    return byte <= 0x20 || byte >= 0x7F || byte == '<' || byte == '>' || byte == '@' || byte == '"' ||
           byte == '\\';
}

void appendMessageIdPart(std::string& out, std::string_view link) {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    for (char c : link) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (breaksMessageId(byte)) {
            out += '%';
            out += kHexDigits[byte >> 4];
            out += kHexDigits[byte & 0xF];
        } else {
            out += c;
        }
    }
}

std::string_view charsetLabelOf(const MailParts& parts) {
    const bool pageInMail = parts.htmlMode == HtmlPrefetchLink && parts.pageFetched;
    return pageInMail ? parts.pageCharset.name : kUtf8.name;
}

void appendBody(std::string& out, const MailParts& parts) {
    switch (parts.htmlMode) {
        case HtmlBreakLines:
            out += kFrameStart;
            appendWithBreakTags(out, parts.body);
            return appendFrameEnd(out, parts.link);
        case HtmlNormal: return wrapHtmlDocument(out, parts.body, parts.link);
        case HtmlPrefetchLink:
            if (parts.pageFetched) {
                out += parts.page;
            } else {
                wrapHtmlDocument(out, timeoutNotice, parts.link);
            }
            return;
        default: return;
    }
}

bool isBareLineEnd(std::string_view text, size_t at) {
    if (text[at] == '\n') return true;
    return text[at] == '\r' && (at + 1 == text.size() || text[at + 1] != '\n');
}

// A lone CR or LF from the feed or the page becomes CR LF, the only line end a message may
// hold. Mails whose bodies have none are left as they are, without a copy.
void normalizeLineEnds(std::string& mail, size_t from) {
    size_t at = from;
    for (; at < mail.size(); ++at) {
        if (mail[at] == '\r' && at + 1 < mail.size() && mail[at + 1] == '\n') {
            ++at;
        } else if (isBareLineEnd(mail, at)) {
            break;
        }
    }
    if (at >= mail.size()) return;
    std::string normalized(mail, 0, at);
    normalized.reserve(mail.size() + (mail.size() - at) / 8);
    for (; at < mail.size(); ++at) {
        const char c = mail[at];
        if (c != '\r' && c != '\n') {
            normalized += c;
            continue;
        }
        normalized += "\r\n";
        if (c == '\r' && at + 1 < mail.size() && mail[at + 1] == '\n') ++at;
    }
    mail.swap(normalized);
}

}  // namespace

std::string composeMailText(const MailParts& parts) {
    std::string mail;
    mail.reserve(512 + 2 * (parts.sender.size() + parts.subject.size()) + 5 * parts.link.size() +
                 parts.body.size() + parts.body.size() / 8 + parts.page.size());
    mail += "From: ";
    appendEncodedWord(mail, parts.sender);
    mail += "\r\nDate: ";
    mail += formatRfc822Date(parts.date, 540);
    mail += "\r\nSubject: ";
    appendEncodedWord(mail, parts.subject);
    mail += "\r\nMessage-Id: <";
    appendMessageIdPart(mail, parts.link);
    mail += '@';
    mail += kMessageIdDomain;
    mail += ">\r\nMIME-Version: 1.0\r\nContent-Type: text/html; charset=";
    mail += charsetLabelOf(parts);
    mail += "\r\nContent-Transfer-Encoding: 8bit\r\n\r\n";
    const size_t bodyStart = mail.size();
    appendBody(mail, parts);
    const size_t nul = mail.find('\0', bodyStart);
    if (nul != std::string::npos) mail.resize(nul);
    normalizeLineEnds(mail, bodyStart);
    mail += "\r\n";
    return mail;
}
