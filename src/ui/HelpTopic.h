#pragma once
// Where a help topic lies: the help file beside the library, named like it.
#include <string>
#include <string_view>

// `iniPath` with every ".ini" replaced by `topicSuffix` (".chm::/what.htm"), so
// C:\Mirvel\MvFeedwick.ini gives C:\Mirvel\MvFeedwick.chm::/what.htm.
std::wstring helpTopicPath(std::wstring iniPath, std::wstring_view topicSuffix);
