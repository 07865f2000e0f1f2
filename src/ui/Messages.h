#pragma once
// Message boxes of the plug-in: Unicode texts shown through the Unicode API, so they read
// right whatever the system's ANSI code page, with the plug-in's caption.
#include <windows.h>

extern const wchar_t kMessageCaption[];
extern const wchar_t kMsxmlMissingText[];
extern const wchar_t kWinHttpMissingText[];
// A dialog's trial load of a feed failed.
extern const wchar_t kFeedNotLoadableText[];

void showError(HWND owner, const wchar_t* text);
void showWarning(HWND owner, const wchar_t* text);
// True when the answer is Yes. `icon` is one of the MB_ICON values.
bool askYesNo(HWND owner, const wchar_t* text, UINT icon);
