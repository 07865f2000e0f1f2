#pragma once
// The about box: the plug-in's name, version and maker.
#include <windows.h>

#include <string>

// The ids of the button that ended it (1, or 2 with Esc), 0 after the close box.
INT_PTR AboutDialog(HWND owner);

// FileVersion and FileDescription of the library's version resource, from the string table
// that its Translation entry names (else the user's language with Unicode). True only when
// both were found; what was not found is empty.
bool readModuleVersion(std::wstring& version, std::wstring& description);
