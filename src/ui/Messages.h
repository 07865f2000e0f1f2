#pragma once
// Message boxes of the plug-in: Unicode texts shown through the Unicode API, so they read
// right whatever the system's ANSI code page.
#include <windows.h>

extern const wchar_t kMessageCaption[];
extern const wchar_t kMsxmlMissingText[];
extern const wchar_t kWinHttpMissingText[];

void showError(HWND owner, const wchar_t* text);
