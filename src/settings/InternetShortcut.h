#pragma once
// The address in an Internet shortcut file, the bookmark file that browsers and the shell write.
#include <string>

// The value of URL in section InternetShortcut, matched without regard to letter case, cut to
// the settings file's value size; empty when the file, the section or the key is missing.
// The file's name and extension play no part.
std::wstring readInternetShortcutUrl(const std::wstring& path);
