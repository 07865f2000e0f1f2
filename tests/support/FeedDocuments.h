#pragma once
// Small RSS 2.0 documents for tests that serve feeds.
#include <string>

inline std::string rss2(const std::string& title, const std::string& items) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
           "<channel><title>" + title + "</title><link>http://example.com/</link>" + items + "</channel></rss>";
}

inline std::string item(const std::string& title, const std::string& link, const std::string& date,
                        const std::string& body, const std::string& guid = "") {
    return "<item><title>" + title + "</title><link>" + link + "</link><dc:creator>Ann</dc:creator><pubDate>" +
           date + "</pubDate><description>" + body + "</description>" +
           (guid.empty() ? "" : "<guid isPermaLink=\"false\">" + guid + "</guid>") + "</item>";
}
