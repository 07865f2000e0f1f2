#include "BenchmarkPages.h"

#include <cstdint>

namespace {

// Fixed pseudo-random choices keep every run measuring the same page.
class Choices {
public:
    uint32_t below(uint32_t limit) {
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) % limit;
    }

private:
    uint32_t state_ = 12345;
};

const char* const kJapanese[] = {
    "\xE4\xBB\x8A\xE6\x97\xA5\xE3\x81\xAE\xE3\x83\x8B\xE3\x83\xA5\xE3\x83\xBC\xE3\x82\xB9",  // 今日のニュース
    "\xE6\x96\xB0\xE3\x81\x97\xE3\x81\x84\xE8\xA3\xBD\xE5\x93\x81",                          // 新しい製品
    "\xE6\x9D\xB1\xE4\xBA\xAC\xE3\x81\xA7\xE9\x96\x8B\xE5\x82\xAC",                          // 東京で開催
    "\xE8\xA9\xB3\xE3\x81\x97\xE3\x81\x8F\xE3\x81\xAF\xE3\x81\x93\xE3\x81\xA1\xE3\x82\x89",  // 詳しくはこちら
};
const char* const kEnglish[] = {
    "The committee published its findings on Tuesday, ",
    "according to people familiar with the plans, ",
    "while analysts expect the figures to improve next quarter. ",
    "Readers can find the full report and earlier coverage below. ",
};

// `pattern` with every "#" replaced by `number`.
std::string numbered(const char* pattern, uint32_t number) {
    const std::string digits = std::to_string(number);
    std::string text;
    for (const char* c = pattern; *c; ++c) {
        if (*c == '#') {
            text += digits;
        } else {
            text += *c;
        }
    }
    return text;
}

void appendHead(std::string& page, Choices& choices) {
    page += "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
            "<title>Example News | ";
    page += kJapanese[0];
    page += "</title>\n";
    for (uint32_t i = 0; i < 8; ++i) {
        page += numbered("<link rel=\"stylesheet\" href=\"/assets/css/site-#.css?v=20240611\">\n", i);
    }
    page += "<link rel=\"icon\" href=\"/favicon.ico\">\n"
            "<script src=\"https://cdn.example.net/js/lib.min.js\" defer></script>\n<style>\n";
    for (uint32_t i = 0; i < 80; ++i) {
        page += numbered(".article-list .item-# { margin: 0 0 12px; padding: 8px #px; "
                         "border-bottom: 1px solid rgb(229, 229, 229); }\n", i);
    }
    page += "</style>\n<script>\nvar config = {\"site\": \"example\", \"sections\": [];\n";
    for (uint32_t i = 0; i < 160; ++i) {
        page += numbered("config.sections.push({\"id\": #, \"path\": \"/news/#/\", \"weight\": #});\n"
                         "if (window.innerWidth < 768 && config.sections.length > 4) { config.compact = true; }\n",
                         choices.below(1000));
    }
    page += "</script>\n</head>\n";
}

void appendNavigation(std::string& page) {
    page += "<body class=\"home\">\n<header id=\"top\"><nav><ul class=\"nav\">\n";
    for (uint32_t i = 0; i < 30; ++i) {
        page += numbered("<li><a href=\"/category/#/\" class=\"nav-link\">", i);
        page += kJapanese[i % 4];
        page += "</a></li>\n";
    }
    page += "</ul></nav></header>\n<main>\n";
}

void appendArticle(std::string& page, Choices& choices, uint32_t number) {
    page += numbered("<article class=\"entry\" id=\"entry-#\">\n<h2 class=\"entry-title\">"
                     "<a href=\"/2024/06/11/entry-#.html\" title=\"entry #\">", number);
    page += kJapanese[number % 4];
    page += "</a></h2>\n<div class=\"entry-meta\"><time datetime=\"2024-06-11T09:00:00+09:00\">2024-06-11</time> "
            "<span class=\"author\">by <a href=\"/author/yamada/\">Yamada</a></span></div>\n"
            "<div class=\"entry-body\"><p>";
    page += numbered("<img src=\"/images/2024/06/thumb-#.jpg\" alt=\"photo #\" width=\"320\" height=\"180\" "
                     "loading=\"lazy\">", number);
    for (uint32_t i = 0; i < 6; ++i) {
        page += kEnglish[choices.below(4)];
        page += kJapanese[choices.below(4)];
    }
    page += numbered("<a href=\"https://www.example.org/reports/#\">", number);
    page += kJapanese[3];
    page += "</a>, <strong>";
    page += kEnglish[choices.below(4)];
    page += "</strong></p></div>\n<ul class=\"tags\">";
    for (uint32_t i = 0; i < 3; ++i) {
        page += numbered("<li><a href=\"/tag/#/\" rel=\"tag\">tag</a></li>", choices.below(50));
    }
    page += "</ul>\n</article>\n";
}

void appendSidebarAndFooter(std::string& page) {
    page += "</main>\n<aside><iframe src=\"https://ads.example.com/slot?id=42\" width=\"300\" height=\"250\">"
            "</iframe>\n<object data=\"/media/player.swf\" type=\"application/x-shockwave-flash\">"
            "<param name=\"movie\" value=\"/media/player.swf\"><embed src=\"/media/player.swf\"></embed>"
            "</object>\n</aside>\n<footer><p>&copy; Example News</p><a href=\"#top\">top</a></footer>\n"
            "</body>\n</html>\n";
}

}  // namespace

std::string realisticPage(size_t size) {
    Choices choices;
    std::string page;
    appendHead(page, choices);
    appendNavigation(page);
    for (uint32_t number = 1; page.size() < size; ++number) appendArticle(page, choices, number);
    appendSidebarAndFooter(page);
    return page;
}

std::string hostilePage(size_t size) {
    std::string page = "<a ";
    while (page.size() + 20 < size) page += "src ";
    page += "=\"http://x/\">";
    return page;
}
