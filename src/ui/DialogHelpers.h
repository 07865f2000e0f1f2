#pragma once
// Services the plug-in's dialogs share, on the client's user-interface thread.
#include <windows.h>

#include <string>

#include "settings/Settings.h"

class FeedFetcher;

// The one link that goes into the link properties dialog and, after OK, comes back out.
extern LinkEntry editLink;

// Shows a topic of the help file beside the library in the HTML Help viewer, loaded on first
// use. Silent when the viewer cannot be loaded.
void showHelpTopic(HWND owner, const wchar_t* topicSuffix);

// Puts the ANSI form of `text` on the clipboard as CF_TEXT; silent when the clipboard is busy.
void copyTextToClipboard(HWND owner, const std::wstring& text);

// Moves the dialog to the remembered position, unless that is (0, 0) or on no monitor.
void restoreDialogPosition(HWND dialog);
// Remembers the dialog's position in the settings and writes it to the settings file at once.
void rememberDialogPosition(HWND dialog);

// The dialogs' check of an address: a blocking fetch with the wait cursor, 8 seconds at most.
// True when it gave a feed; the fetcher then holds its title and link.
bool trialLoadFeed(FeedFetcher& fetcher, const std::wstring& url);

// Opens `target` with its default handler, as the shell's "open" does.
void openWithShell(HWND owner, const std::wstring& target);
