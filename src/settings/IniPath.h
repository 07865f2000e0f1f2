#pragma once
#include <string>

// The library's path with everything from its last "." replaced by ".ini" (".ini" appended
// when there is no "."): MvFeedwick.dll keeps its settings in MvFeedwick.ini beside it.
std::wstring iniPathForModule(const std::wstring& modulePath);
