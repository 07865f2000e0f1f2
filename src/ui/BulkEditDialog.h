#pragma once
// The dialog that writes chosen link fields into every link of the list at once.
#include <windows.h>

// 1 after OK (every link has the checked fields), 2 after Cancel, 0 after the close box.
INT_PTR BulkEditDialog(HWND owner);
