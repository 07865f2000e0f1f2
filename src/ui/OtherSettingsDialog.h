#pragma once
// The dialog of the less frequent options: time-outs, the subject prefix, the toolbar, and
// the switch of WinHTTP's proxy, which takes effect at once.
#include <windows.h>

// 1 after OK (the options are in the settings), 2 after Cancel, 0 after the close box.
INT_PTR OtherSettingsDialog(HWND owner);
