#pragma once
// The one way the plug-in's dialogs run: a modal dialog from the library's templates whose
// procedure hands its messages to a behaviour, behind a catch-all.
#include <windows.h>

struct DialogBehaviour {
    int templateId;
    const wchar_t* helpTopic;  // the help file topic for F1, a suffix for showHelpTopic
    void (*initialize)(HWND dialog);
    // Every WM_COMMAND but Cancel, which ends the dialog with 2 in all of them.
    void (*command)(HWND dialog, int id, int notification);
};

// Shows the dialog owned by `owner` until it ends: its EndDialog result, or 0 when its close
// box closed it.
INT_PTR runModalDialog(HWND owner, const DialogBehaviour& behaviour);
