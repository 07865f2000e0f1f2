#pragma once
// The dialog that edits one link: the shared `editLink`, which the caller fills before and
// takes back after a result of 1.
#include <windows.h>

// 1 after a valid OK, 2 after Cancel, 0 when closed by its close box.
INT_PTR LinkPropertiesDialog(HWND owner);
