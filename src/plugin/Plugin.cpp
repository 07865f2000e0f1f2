#include "plugin/Plugin.h"

#include "plugin/HostApi.h"
#include "settings/IniPath.h"
#include "settings/Settings.h"

HINSTANCE pluginInstance = nullptr;

namespace {
bool settingsLoaded = false;
}

bool attachToProcess(HINSTANCE instance) {
    pluginInstance = instance;
    if (!bindHostApi()) return false;
    char modulePath[MAX_PATH] = {};
    GetModuleFileNameA(instance, modulePath, MAX_PATH);
    iniPath = iniPathForModule(modulePath);
    return true;
}

void ensureSettingsLoaded() {
    if (settingsLoaded) return;
    if (GetFileAttributesA(iniPath.c_str()) == INVALID_FILE_ATTRIBUTES) {
        saveSettings(iniPath);
    } else {
        loadSettings(iniPath);
    }
    settingsLoaded = true;
}
