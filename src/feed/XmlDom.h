#pragma once
// The MSXML 3 DOM document as the feed readers and the OPML import use it. Failing COM
// calls throw FetchError; a lack of memory throws std::bad_alloc, as for any text.
#include <windows.h>
#include <wrl/client.h>

#include <functional>
#include <string>

#include "common/MsxmlIds.h"

using XmlDocument = Microsoft::WRL::ComPtr<IXMLDOMDocument2>;
using XmlElement = Microsoft::WRL::ComPtr<IXMLDOMElement>;

// Why a text is no XML document, as the parser says it.
struct XmlLoadError {
    std::wstring reason;
    long line = 0;
};

// "XML読み込みエラー(reason)(行:line)", the text the dialogs show.
std::wstring XmlLoadErrorText(const XmlLoadError& error);

// The document parsed from `text`, with no external DTD or entity fetched; null when the
// text is not well-formed, and then `error` says why.
// A text that fails is parsed once more with its HTML entity references and bare
// ampersands repaired (EntityRepair.h); when that fails too, or changes nothing, the error
// is the first one. Takes the text by value and frees it before parsing, so that a caller
// who moves it in holds no copy of a large document while the DOM is built.
XmlDocument LoadXmlDocument(std::wstring text, XmlLoadError& error);

// Null when the document has no root element.
XmlElement RootElement(IXMLDOMDocument2* document);

std::wstring TagName(IXMLDOMElement* element);

// The attribute's value; empty when it is missing or not a string.
std::wstring AttributeText(IXMLDOMElement* element, const std::wstring& name);

// Every child element in document order with its tag name as written, prefix included.
void ForEachChildElement(IXMLDOMElement* element,
                         const std::function<void(IXMLDOMElement* child, const std::wstring& tagName)>& visit);

// The first child element whose tag name is exactly `name`; null when there is none or
// when `element` is null.
XmlElement FindChild(IXMLDOMElement* element, const std::wstring& name);

// The text of FindChild's element, as the DOM gives it (white space at its ends dropped);
// empty when there is no such child.
std::wstring ChildText(IXMLDOMElement* element, const std::wstring& name);

// The element's text as the DOM gives it (white space at its ends dropped).
std::wstring ElementText(IXMLDOMElement* element);

// ChildText, except that a child holding elements gives its InnerXml, so that XHTML markup
// in a description stays markup; text in it stays escaped as HTML needs.
std::wstring ChildContent(IXMLDOMElement* element, const std::wstring& name);

// What ChildContent gives for the element itself.
std::wstring ElementContent(IXMLDOMElement* element);

// The XML of the element's child nodes, text escaped as XML writes it.
std::wstring InnerXml(IXMLDOMElement* element);

// Null when the element holds no element.
XmlElement FirstChildElement(IXMLDOMElement* element);

// The element's namespace (empty for none) and its name without prefix. Vocabularies that
// documents write with a prefix of their own choosing are matched by these, not by tag name.
std::wstring NamespaceUri(IXMLDOMElement* element);
std::wstring LocalName(IXMLDOMElement* element);

// The first child element of that namespace and local name, whatever its prefix; null when
// there is none or when `element` is null.
XmlElement FindChildIn(IXMLDOMElement* element, const std::wstring& namespaceUri, const std::wstring& localName);

// The base URL inside `element`: its xml:base resolved against `outerBase`, the base around it.
std::wstring BaseWithin(IXMLDOMElement* element, const std::wstring& outerBase);
