#include "settings/IniPath.h"

std::wstring iniPathForModule(const std::wstring& modulePath) {
    const size_t dot = modulePath.rfind(L'.');
    return modulePath.substr(0, dot) + L".ini";
}
