#include "ui/Messages.h"

const wchar_t kMessageCaption[] = L"Feedwick插件 ";
const wchar_t kMsxmlMissingText[] = L"このWindowsでは実行できません(MSXML3が実行できません)";
const wchar_t kWinHttpMissingText[] = L"このWindowsでは実行できません(WinHTTPが実行できません)";
const wchar_t kFeedNotLoadableText[] =
    L"URLで指定されたRSS/RDFのXMLデータが読み込めません\n(タイムアウトになっている場合があります)";

void showError(HWND owner, const wchar_t* text) { MessageBoxW(owner, text, kMessageCaption, MB_ICONERROR | MB_OK); }

void showWarning(HWND owner, const wchar_t* text) {
    MessageBoxW(owner, text, kMessageCaption, MB_ICONWARNING | MB_OK);
}

bool askYesNo(HWND owner, const wchar_t* text, UINT icon) {
    return MessageBoxW(owner, text, kMessageCaption, icon | MB_YESNO) == IDYES;
}
