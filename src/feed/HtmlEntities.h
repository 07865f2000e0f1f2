#pragma once
// HTML's named character references (the WHATWG table), which content systems write into
// feeds as if they were XML.
#include <string_view>

struct HtmlEntity {
    const char* name;  // without '&' and ';'
    char32_t first;
    char32_t second;  // 0 for a reference to one character
};

// The entity written as "&name;" in HTML; null when HTML has none of that name. Names
// compare case-sensitively.
const HtmlEntity* FindHtmlEntity(std::wstring_view name);
