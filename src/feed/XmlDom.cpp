#include "feed/XmlDom.h"

#include <climits>
#include <new>
#include <optional>
#include <utility>

#include "common/ComHolders.h"
#include "common/TextConversion.h"
#include "common/UrlResolution.h"
#include "feed/EntityRepair.h"
#include "feed/FetchError.h"
#include "feed/XmlDeclaration.h"

using Microsoft::WRL::ComPtr;

namespace {

XmlLoadError parseError(IXMLDOMDocument2* document) {
    ComPtr<IXMLDOMParseError> error;
    checkResult(document->get_parseError(&error));
    ScopedBstr reason;
    checkResult(error->get_reason(reason.put()));
    XmlLoadError loadError;
    loadError.reason = bstrText(reason.get());
    checkResult(error->get_line(&loadError.line));
    return loadError;
}

// The next sibling, or null after the last one (the DOM answers S_FALSE then).
ComPtr<IXMLDOMNode> nextSibling(IXMLDOMNode* node) {
    ComPtr<IXMLDOMNode> next;
    checkResult(node->get_nextSibling(&next));
    return next;
}

// The first element among `node` and its following siblings; text, comments and the like
// are passed over.
XmlElement elementFrom(ComPtr<IXMLDOMNode> node) {
    for (; node; node = nextSibling(node.Get())) {
        DOMNodeType type = NODE_INVALID;
        checkResult(node->get_nodeType(&type));
        if (type != NODE_ELEMENT) continue;
        XmlElement element;
        checkResult(node.As(&element));
        return element;
    }
    return nullptr;
}

XmlElement nextSiblingElement(IXMLDOMElement* element) { return elementFrom(nextSibling(element)); }

// The text as a UTF-8 byte array, written straight into the array. Handed over as a BSTR,
// the DOM would keep a UTF-16 copy of its own and a UTF-8 one besides while it parses;
// as UTF-8 bytes it keeps one copy, which for a large feed halves the memory of the load.
// The text ends at its first NUL, as a BSTR read as a string would.
void putUtf8Bytes(std::wstring_view text, ScopedVariant& source) {
    text = text.substr(0, text.find(L'\0'));
    const size_t length = multiByteLength(text, CP_UTF8);
    if (length == 0 && !text.empty()) throw FetchError(E_INVALIDARG);
    if (length > LONG_MAX) throw std::bad_alloc();
    ScopedSafeArray bytes(SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(length)));
    if (!bytes) throw std::bad_alloc();
    void* data = nullptr;
    checkResult(SafeArrayAccessData(bytes.get(), &data));
    const bool written = writeMultiByte(text, CP_UTF8, static_cast<char*>(data), length);
    checkResult(SafeArrayUnaccessData(bytes.get()));
    if (!written) throw FetchError(E_INVALIDARG);
    VARIANT* variant = source.put();
    variant->vt = VT_ARRAY | VT_UI1;
    variant->parray = bytes.release();
}

// The text that putUtf8Bytes wrote into `source`.
std::wstring textOf(const ScopedVariant& source) {
    SAFEARRAY* bytes = source.get().parray;
    void* data = nullptr;
    checkResult(SafeArrayAccessData(bytes, &data));
    std::wstring text;
    try {
        text = toWide(std::string_view(static_cast<const char*>(data), bytes->rgsabound[0].cElements), CP_UTF8);
    } catch (const std::bad_alloc&) {
        SafeArrayUnaccessData(bytes);
        throw;
    }
    checkResult(SafeArrayUnaccessData(bytes));
    return text;
}

// The document parsed from `source`; null with `error` set when it is not well-formed.
XmlDocument parse(const ScopedVariant& source, XmlLoadError& error) {
    XmlDocument document;
    checkResult(CoCreateInstance(kDomDocument30Class, nullptr, kMsxmlClassContext, IID_PPV_ARGS(&document)));
    checkResult(document->put_async(VARIANT_FALSE));
    checkResult(document->put_resolveExternals(VARIANT_FALSE));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    checkResult(document->load(source.get(), &loaded));
    if (loaded != VARIANT_FALSE) return document;
    error = parseError(document.Get());
    return nullptr;
}

// The text of `source` parsed once more with HTML's named characters and bare ampersands
// made XML references; null when that changes nothing, does not help, or finds no memory.
// The text comes back from the bytes the parser had, which live anyway, rather than
// staying beside the DOM of every load. A repair that would make the text longer by more
// than a quarter, beyond a few thousand characters that a short document may need, is not
// tried: no feed has that many stray ampersands, and a hostile one would multiply the
// memory of the load.
XmlDocument parseRepaired(ScopedVariant& source) {
    try {
        std::wstring text = textOf(source);
        source.reset();
        constexpr size_t kShortDocumentGrowth = 4096;
        const size_t maxLength = text.size() + text.size() / 4 + kShortDocumentGrowth;
        std::optional<std::wstring> repaired = RepairEntityReferences(text, maxLength);
        std::wstring().swap(text);
        if (!repaired) return nullptr;
        putUtf8Bytes(*repaired, source);
        repaired.reset();
        XmlLoadError unusedError;
        return parse(source, unusedError);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// A text node as XML writes it, white space included: written by the DOM, the text of a
// node loses the blanks at its ends, which between two elements separate words.
void appendTextAsXml(std::wstring& markup, IXMLDOMNode* text) {
    ScopedVariant value;
    checkResult(text->get_nodeValue(value.put()));
    if (value.get().vt != VT_BSTR) return;
    for (const wchar_t c : bstrText(value.get().bstrVal)) {
        switch (c) {
            case L'&': markup += L"&amp;"; break;
            case L'<': markup += L"&lt;"; break;
            case L'>': markup += L"&gt;"; break;
            default: markup += c; break;
        }
    }
}

}  // namespace

std::wstring XmlLoadErrorText(const XmlLoadError& error) {
    return L"XML読み込みエラー(" + error.reason + L")(行:" + std::to_wstring(error.line) + L")";
}

XmlDocument LoadXmlDocument(std::wstring text, XmlLoadError& error) {
    // The text is decoded already; a byte encoding declared in it must not be applied to
    // the bytes handed over, which the parser then reads as UTF-8, the default.
    EraseEncodingDeclaration(text);
    ScopedVariant source;
    putUtf8Bytes(text, source);
    std::wstring().swap(text);
    XmlLoadError firstError;
    XmlDocument document = parse(source, firstError);
    if (!document) document = parseRepaired(source);
    // A document that even the repair cannot save fails for the reason it failed before.
    if (!document) error = std::move(firstError);
    return document;
}

XmlElement RootElement(IXMLDOMDocument2* document) {
    XmlElement root;
    checkResult(document->get_documentElement(&root));
    return root;
}

std::wstring TagName(IXMLDOMElement* element) {
    ScopedBstr name;
    checkResult(element->get_tagName(name.put()));
    return bstrText(name.get());
}

std::wstring AttributeText(IXMLDOMElement* element, const std::wstring& name) {
    const ScopedBstr attributeName = makeBstr(name);
    ScopedVariant value;
    checkResult(element->getAttribute(attributeName.get(), value.put()));
    return value.get().vt == VT_BSTR ? bstrText(value.get().bstrVal) : std::wstring();
}

void ForEachChildElement(IXMLDOMElement* element,
                         const std::function<void(IXMLDOMElement* child, const std::wstring& tagName)>& visit) {
    for (XmlElement child = FirstChildElement(element); child; child = nextSiblingElement(child.Get())) {
        visit(child.Get(), TagName(child.Get()));
    }
}

XmlElement FindChild(IXMLDOMElement* element, const std::wstring& name) {
    if (!element) return nullptr;
    for (XmlElement child = FirstChildElement(element); child; child = nextSiblingElement(child.Get())) {
        if (TagName(child.Get()) == name) return child;
    }
    return nullptr;
}

std::wstring ChildText(IXMLDOMElement* element, const std::wstring& name) {
    const XmlElement child = FindChild(element, name);
    return child ? ElementText(child.Get()) : std::wstring();
}

std::wstring ElementText(IXMLDOMElement* element) {
    ScopedBstr text;
    checkResult(element->get_text(text.put()));
    return bstrText(text.get());
}

std::wstring ChildContent(IXMLDOMElement* element, const std::wstring& name) {
    const XmlElement child = FindChild(element, name);
    return child ? ElementContent(child.Get()) : std::wstring();
}

std::wstring ElementContent(IXMLDOMElement* element) {
    return FirstChildElement(element) ? InnerXml(element) : ElementText(element);
}

std::wstring InnerXml(IXMLDOMElement* element) {
    std::wstring markup;
    ComPtr<IXMLDOMNode> node;
    checkResult(element->get_firstChild(&node));
    for (; node; node = nextSibling(node.Get())) {
        DOMNodeType type = NODE_INVALID;
        checkResult(node->get_nodeType(&type));
        if (type == NODE_TEXT) {
            appendTextAsXml(markup, node.Get());
        } else {
            ScopedBstr xml;
            checkResult(node->get_xml(xml.put()));
            markup += bstrText(xml.get());
        }
    }
    return markup;
}

XmlElement FirstChildElement(IXMLDOMElement* element) {
    ComPtr<IXMLDOMNode> child;
    checkResult(element->get_firstChild(&child));
    return elementFrom(child);
}

std::wstring NamespaceUri(IXMLDOMElement* element) {
    ScopedBstr uri;
    checkResult(element->get_namespaceURI(uri.put()));
    return bstrText(uri.get());
}

std::wstring LocalName(IXMLDOMElement* element) {
    ScopedBstr name;
    checkResult(element->get_baseName(name.put()));
    return bstrText(name.get());
}

XmlElement FindChildIn(IXMLDOMElement* element, const std::wstring& namespaceUri, const std::wstring& localName) {
    if (!element) return nullptr;
    for (XmlElement child = FirstChildElement(element); child; child = nextSiblingElement(child.Get())) {
        if (LocalName(child.Get()) == localName && NamespaceUri(child.Get()) == namespaceUri) return child;
    }
    return nullptr;
}

std::wstring BaseWithin(IXMLDOMElement* element, const std::wstring& outerBase) {
    const std::wstring xmlBase = AttributeText(element, L"xml:base");
    return xmlBase.empty() ? outerBase : resolveUrl(outerBase, xmlBase);
}
