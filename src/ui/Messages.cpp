#include "ui/Messages.h"

const wchar_t kMessageCaption[] = L"Feedwick插件 ";
const wchar_t kMsxmlMissingText[] = L"このWindowsでは実行できません(MSXML3が実行できません)";
const wchar_t kWinHttpMissingText[] = L"このWindowsでは実行できません(WinHTTPが実行できません)";

void showError(HWND owner, const wchar_t* text) {
    MessageBoxW(owner, text, kMessageCaption, MB_ICONERROR | MB_OK);
}
