#include "settings/InternetShortcut.h"

#include "common/TextConversion.h"
#include "settings/ProfileValue.h"

std::wstring readInternetShortcutUrl(const std::wstring& path) {
    return fromAnsi(readAnsiProfileValue(path, L"InternetShortcut", L"URL", L""));
}
