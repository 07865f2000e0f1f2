#pragma once
// The one way the plug-in's dialogs run: a modal dialog from the library's templates whose
// procedure hands its messages to a behaviour, behind a catch-all.
#include <windows.h>

struct DialogBehaviour {
    int templateId;
    const wchar_t* helpTopic;  // the help file topic for F1, a suffix for showHelpTopic
    void (*initialize)(HWND dialog);
    // Every WM_COMMAND but Cancel.
    void (*command)(HWND dialog, int id, int notification);
    // Ends the dialog with `result`: 2 after Cancel, 0 after the close box. EndDialog when null.
    void (*close)(HWND dialog, INT_PTR result) = nullptr;
    // Any other message; true when handled, the answer then set with DWLP_MSGRESULT.
    bool (*message)(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) = nullptr;
};

// Shows the dialog owned by `owner` until it ends: its EndDialog result, or 0 when its close
// box closed it.
INT_PTR runModalDialog(HWND owner, const DialogBehaviour& behaviour);
