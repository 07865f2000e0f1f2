#include "feed/OpmlImport.h"

#include <algorithm>
#include <iterator>
#include <new>
#include <unordered_set>
#include <utility>
#include <vector>

#include "common/ComHolders.h"
#include "feed/FeedDiscovery.h"
#include "feed/FetchError.h"
#include "feed/ResponseBody.h"
#include "feed/XmlDom.h"
#include "settings/Settings.h"

namespace {

constexpr wchar_t kUntitled[] = L"(無題)";

std::vector<XmlElement> outlinesBelow(IXMLDOMElement* parent) {
    std::vector<XmlElement> outlines;
    ForEachChildElement(parent, [&](IXMLDOMElement* child, const std::wstring& tagName) {
        if (tagName == L"outline") outlines.emplace_back(child);
    });
    return outlines;
}

class OutlineReader {
public:
    OutlineReader() {
        for (const LinkEntry& link : pluginSettings.links) knownUrls_.insert(link.url);
    }

    // Outlines at every depth, parents before their children; folders add only what they
    // hold, as feed readers export them. Walked without recursion, so that a deeply nested
    // document cannot exhaust the stack.
    void readBody(IXMLDOMElement* body) {
        std::vector<XmlElement> pending = outlinesBelow(body);
        std::reverse(pending.begin(), pending.end());
        while (!pending.empty()) {
            const XmlElement outline = std::move(pending.back());
            pending.pop_back();
            readOutline(outline.Get());
            std::vector<XmlElement> children = outlinesBelow(outline.Get());
            pending.insert(pending.end(), std::make_move_iterator(children.rbegin()),
                           std::make_move_iterator(children.rend()));
        }
    }

    std::vector<LinkEntry> newLinks;

private:
    // A subscribed address is skipped, as is one seen earlier in the document: a doubled
    // link would mail every item twice. So is one whose line would be cut in the file.
    void readOutline(IXMLDOMElement* outline) {
        LinkEntry link;
        link.url = AttributeText(outline, L"xmlUrl");
        if (link.url.empty() || link.url.find(L'|') != std::wstring::npos) return;
        if (knownUrls_.count(link.url)) return;
        link.title = AttributeText(outline, L"text");
        for (wchar_t& character : link.title) {
            if (character == L'|') character = L'?';
        }
        if (link.title.empty()) link.title = kUntitled;
        if (!fitsInLinkLine(link)) return;
        knownUrls_.insert(link.url);
        newLinks.push_back(std::move(link));
    }

    std::unordered_set<std::wstring> knownUrls_;
};

}  // namespace

bool importOpml(const std::wstring& url, int32_t timeoutSeconds, HttpGetResult* htmlPage) {
    pluginSettings.importErrorText.clear();
    try {
        const ComInitialization com;
        HttpGetResult response = HttpGet(url, timeoutSeconds, 0, "", HttpMode::Foreground);
        if (response.outcome != HttpGetResult::Received) return false;
        std::wstring text = DecodeResponseBody(response.body, response.contentType);
        // Any other body goes before the document is loaded, which needs the most memory.
        if (htmlPage && IsHtmlPage(response.contentType, response.body)) {
            *htmlPage = std::move(response);
        } else {
            std::string().swap(response.body);
        }
        XmlLoadError error;
        const XmlDocument document = LoadXmlDocument(std::move(text), error);
        if (!document) {
            pluginSettings.importErrorText = XmlLoadErrorText(error);
            return false;
        }
        const XmlElement root = RootElement(document.Get());
        if (!root || TagName(root.Get()).find(L"opml") == std::wstring::npos) return false;
        OutlineReader reader;
        if (const XmlElement body = FindChild(root.Get(), L"body")) reader.readBody(body.Get());
        std::vector<LinkEntry>& links = pluginSettings.links;
        links.insert(links.end(), std::make_move_iterator(reader.newLinks.begin()),
                     std::make_move_iterator(reader.newLinks.end()));
        return true;
    } catch (const FetchError&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}
