#pragma once
// The plug-in's settings dialog: the mailbox, the schedule and the list of links, with
// retrieval started and stopped from it and links added by dropping them on it.
#include <windows.h>

#include "common/HostApi.h"

// Runs the dialog owned by `owner` on the process-wide settings; `requestRetrieval` starts a
// run. 1 after OK, 2 after Cancel, 0 after the close box. The caller saves or reloads the
// settings, after the run the dialog may have left stopping has ended.
INT_PTR SettingsDialog(HWND owner, CommandCallback requestRetrieval);

// The settings into the controls, the list rebuilt whole.
void fillSettingsControls(HWND dialog);
// The controls back into the settings.
void readSettingsControls(HWND dialog);
// The idle look, or the retrieving one: most controls disabled, the retrieve button a stop button.
void setRetrievalControls(HWND dialog, bool idle);

// Kind 0 the retrieve image, 1 the stop image, 2 the gears, at (8, 6) through its mask; the
// masked-out pixels take the brush selected into `dc`. Other kinds draw nothing.
void drawButtonImage(HDC dc, int kind);
