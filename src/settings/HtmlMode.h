#pragma once
// How a link's items become the HTML body of their mail. Portable, so that the mail text
// can be composed without the settings module's Win32 parts.
#include <cstdint>

enum HtmlMode : int32_t { HtmlBreakLines = 0, HtmlNormal = 1, HtmlPrefetchLink = 2 };
