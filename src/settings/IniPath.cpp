#include "settings/IniPath.h"

std::string iniPathForModule(const std::string& modulePath) {
    const size_t dot = modulePath.rfind('.');
    return modulePath.substr(0, dot) + ".ini";
}
