#include "ui/DialogControls.h"

#include "common/TextConversion.h"
#include "ui/FieldText.h"

std::wstring fieldText(HWND dialog, int id) {
    const HWND control = GetDlgItem(dialog, id);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    const std::string bytes = toAnsi(text);
    return fromAnsi(std::string_view(bytes).substr(0, wholeCharacterPrefix(bytes, kMaxFieldBytes, isAnsiLeadByte)));
}

int32_t fieldNumber(HWND dialog, int id) { return fieldNumber(toAnsi(fieldText(dialog, id))); }

void setFieldText(HWND dialog, int id, const std::wstring& text) { SetDlgItemTextW(dialog, id, text.c_str()); }

bool isChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void setChecked(HWND dialog, int id, bool checked) {
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void enableControls(HWND dialog, std::initializer_list<int> ids, bool enabled) {
    for (const int id : ids) EnableWindow(GetDlgItem(dialog, id), enabled ? TRUE : FALSE);
}
