#include "feed/XmlDom.h"

#include <climits>
#include <new>

#include "common/ComHolders.h"
#include "common/TextConversion.h"
#include "feed/FetchError.h"
#include "feed/XmlDeclaration.h"

using Microsoft::WRL::ComPtr;

namespace {

std::wstring parseErrorText(IXMLDOMDocument2* document) {
    ComPtr<IXMLDOMParseError> error;
    checkResult(document->get_parseError(&error));
    ScopedBstr reason;
    checkResult(error->get_reason(reason.put()));
    long line = 0;
    checkResult(error->get_line(&line));
    return L"XML読み込みエラー(" + bstrText(reason.get()) + L")(行:" + std::to_wstring(line) + L")";
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

XmlElement firstChildElement(IXMLDOMElement* element) {
    ComPtr<IXMLDOMNode> child;
    checkResult(element->get_firstChild(&child));
    return elementFrom(child);
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

}  // namespace

XmlDocument LoadXmlDocument(std::wstring text, std::wstring& errorText) {
    XmlDocument document;
    checkResult(CoCreateInstance(kDomDocument30Class, nullptr, kMsxmlClassContext, IID_PPV_ARGS(&document)));
    checkResult(document->put_async(VARIANT_FALSE));
    checkResult(document->put_resolveExternals(VARIANT_FALSE));
    // The text is decoded already; a byte encoding declared in it must not be applied to
    // the bytes handed over, which the parser then reads as UTF-8, the default.
    EraseEncodingDeclaration(text);
    ScopedVariant source;
    putUtf8Bytes(text, source);
    std::wstring().swap(text);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    checkResult(document->load(source.get(), &loaded));
    if (loaded == VARIANT_FALSE) {
        errorText = parseErrorText(document.Get());
        return nullptr;
    }
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
    for (XmlElement child = firstChildElement(element); child; child = nextSiblingElement(child.Get())) {
        visit(child.Get(), TagName(child.Get()));
    }
}

XmlElement FindChild(IXMLDOMElement* element, const std::wstring& name) {
    if (!element) return nullptr;
    for (XmlElement child = firstChildElement(element); child; child = nextSiblingElement(child.Get())) {
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
    if (!child) return {};
    if (!firstChildElement(child.Get())) return ElementText(child.Get());
    std::wstring markup;
    ComPtr<IXMLDOMNode> node;
    checkResult(child->get_firstChild(&node));
    for (; node; node = nextSibling(node.Get())) {
        ScopedBstr xml;
        checkResult(node->get_xml(xml.put()));
        markup += bstrText(xml.get());
    }
    return markup;
}
