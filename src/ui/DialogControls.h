#pragma once
// Reading and setting a dialog's controls by their ids.
#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>

// A control's text as the settings take it: its first 254 bytes in the ANSI code page.
std::wstring fieldText(HWND dialog, int id);
// The decimal number that text starts with; 0 when it starts with none.
int32_t fieldNumber(HWND dialog, int id);
void setFieldText(HWND dialog, int id, const std::wstring& text);

bool isChecked(HWND dialog, int id);
void setChecked(HWND dialog, int id, bool checked);
void enableControls(HWND dialog, std::initializer_list<int> ids, bool enabled);
