#include "plugin/Plugin.h"

#include "common/HostApi.h"
#include "common/TextConversion.h"
#include "resources/resource.h"
#include "settings/IniPath.h"
#include "settings/Settings.h"

namespace {

bool settingsLoaded = false;

constexpr size_t kInfoFieldSize = 80;
constexpr int kStringBufferSize = 80;
constexpr wchar_t kPluginName[] = L"Mirvel! Feedwick插件";
constexpr wchar_t kVendorName[] = L"MvFeedwick developers";
constexpr wchar_t kPluginVersion[] = L"1.2";
constexpr wchar_t kPluginDescription[] = L"Mirvel!添加收取Blog功能。 ";

void writeInfoField(char* field, const wchar_t* text) {
    lstrcpynA(field, toAnsi(text).c_str(), static_cast<int>(kInfoFieldSize));
}

}  // namespace

bool attachToProcess(HINSTANCE instance) {
    pluginInstance = instance;
    if (!bindHostApi()) return false;
    pluginSmallIcon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_PLUGIN), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    wchar_t modulePath[MAX_PATH] = {};
    GetModuleFileNameW(instance, modulePath, MAX_PATH);
    iniPath = iniPathForModule(modulePath);
    return true;
}

void ensureSettingsLoaded() {
    if (settingsLoaded) return;
    if (GetFileAttributesW(iniPath.c_str()) == INVALID_FILE_ATTRIBUTES) {
        saveSettings(iniPath);
    } else {
        loadSettings(iniPath);
    }
    settingsLoaded = true;
}

void fillPluginInfo(char* record) {
    writeInfoField(record, kPluginName);
    writeInfoField(record + kInfoFieldSize, kVendorName);
    writeInfoField(record + 2 * kInfoFieldSize, kPluginVersion);
    writeInfoField(record + 3 * kInfoFieldSize, kPluginDescription);
}

std::wstring loadPluginString(UINT id) {
    wchar_t text[kStringBufferSize] = {};
    LoadStringW(pluginInstance, id, text, kStringBufferSize);
    return text;
}
