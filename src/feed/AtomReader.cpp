// FeedFetcher's reader of Atom documents. Elements are matched by namespace and local name,
// so that a document writing Atom with a prefix reads as one writing it as the default
// namespace, and another vocabulary's title or link is never taken for Atom's.
#include <optional>
#include <string>
#include <utility>

#include "common/TextConversion.h"
#include "common/UrlResolution.h"
#include "feed/AtomText.h"
#include "feed/DateParsing.h"
#include "feed/FeedFetcher.h"
#include "feed/XmlDom.h"

namespace {

bool isAtom(IXMLDOMElement* element, const wchar_t* name) {
    return LocalName(element) == name && NamespaceUri(element) == kAtomNamespace;
}

XmlElement atomChild(IXMLDOMElement* element, const wchar_t* name) {
    return FindChildIn(element, kAtomNamespace, name);
}

std::wstring atomChildText(IXMLDOMElement* element, const wchar_t* name) {
    const XmlElement child = atomChild(element, name);
    return child ? ElementText(child.Get()) : std::wstring();
}

// The published time when it reads as a date, the updated time otherwise.
std::optional<int64_t> entryDate(IXMLDOMElement* entry) {
    const std::optional<int64_t> published = ParseW3cDate(toAnsi(atomChildText(entry, L"published")));
    return published ? published : ParseW3cDate(toAnsi(atomChildText(entry, L"updated")));
}

std::wstring authorName(IXMLDOMElement* element) { return atomChildText(atomChild(element, L"author").Get(), L"name"); }

// The first link to the page itself (rel "alternate" or none), resolved against `base`
// and the link element's own xml:base.
std::wstring alternateLink(IXMLDOMElement* element, const std::wstring& base) {
    std::wstring link;
    ForEachChildElement(element, [&](IXMLDOMElement* child, const std::wstring&) {
        if (!link.empty() || !isAtom(child, L"link")) return;
        const std::wstring rel = AttributeText(child, L"rel");
        if (!rel.empty() && rel != L"alternate") return;
        const std::wstring href = AttributeText(child, L"href");
        if (!href.empty()) link = resolveUrl(BaseWithin(child, base), href);
    });
    return link;
}

// A title as the text it shows; empty when there is none.
std::wstring plainText(IXMLDOMElement* construct) {
    if (!construct) return {};
    const std::wstring text = ElementText(construct);
    return AtomTextTypeOf(AttributeText(construct, L"type")) == AtomTextType::Html ? HtmlToPlainText(text) : text;
}

// XHTML content stands in a div that is not part of it; without that div the markup is
// taken whole.
std::wstring xhtmlMarkup(IXMLDOMElement* construct) {
    const XmlElement div = FirstChildElement(construct);
    return div && LocalName(div.Get()) == L"div" ? InnerXml(div.Get()) : InnerXml(construct);
}

// A content or summary as HTML; empty when there is none or it holds nothing a mail shows
// (another media type, or content kept elsewhere by a src attribute).
std::wstring htmlBody(IXMLDOMElement* construct) {
    if (!construct) return {};
    switch (AtomTextTypeOf(AttributeText(construct, L"type"))) {
        case AtomTextType::Text: return EscapeHtmlText(ElementText(construct));
        case AtomTextType::Html: return ElementContent(construct);
        case AtomTextType::Xhtml: return xhtmlMarkup(construct);
        case AtomTextType::Other: break;
    }
    return {};
}

}  // namespace

// Title, link and author of the feed replace those of any earlier document even when it
// has none; entries are its children, in document order.
void FeedFetcher::ReadAtom(IXMLDOMElement* root, const ItemRules& rules) {
    const std::wstring base = BaseWithin(root, rules.documentUrl);
    feedTitle = plainText(atomChild(root, L"title").Get());
    feedLink = alternateLink(root, base);
    const std::wstring feedAuthor = authorName(root);
    ForEachChildElement(root, [&](IXMLDOMElement* child, const std::wstring&) {
        if (isAtom(child, L"entry")) readEntry(child, feedAuthor, base, rules);
    });
}

void FeedFetcher::readEntry(IXMLDOMElement* entry, const std::wstring& feedAuthor, const std::wstring& base,
                            const ItemRules& rules) {
    const std::optional<int64_t> date = entryDate(entry);
    if (!mayBeNew(date, rules)) return;
    ItemTexts texts;
    texts.body = htmlBody(atomChild(entry, L"content").Get());
    if (texts.body.empty()) texts.body = htmlBody(atomChild(entry, L"summary").Get());
    texts.title = plainText(atomChild(entry, L"title").Get());
    texts.link = alternateLink(entry, BaseWithin(entry, base));
    texts.key = atomChildText(entry, L"id");
    if (!isNew(date, texts, rules)) return;
    texts.author = authorName(entry);
    if (texts.author.empty()) texts.author = feedAuthor;
    appendItem(date, std::move(texts), rules);
}
