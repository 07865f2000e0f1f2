#include "ui/AboutDialog.h"

#include <cstdio>
#include <iterator>
#include <vector>

#include "common/PluginModule.h"
#include "resources/AboutDialog_rc.h"
#include "ui/DialogControls.h"
#include "ui/DialogFrame.h"
#include "ui/DialogHelpers.h"

namespace {

constexpr wchar_t kWebPage[] = L"https://mvfeedwick.invalid/";

// "041104B0": the language and code page of the string table to read.
std::wstring stringTableKey(const void* versionInfo) {
    void* translation = nullptr;
    UINT size = 0;
    wchar_t key[16] = {};
    if (VerQueryValueW(versionInfo, L"\\VarFileInfo\\Translation", &translation, &size) && size >= 2 * sizeof(WORD)) {
        const WORD* languageAndCodePage = static_cast<const WORD*>(translation);
        std::swprintf(key, std::size(key), L"%04X%04X", languageAndCodePage[0], languageAndCodePage[1]);
    } else {
        std::swprintf(key, std::size(key), L"%04X04B0", GetUserDefaultLangID());
    }
    return key;
}

bool queryString(const void* versionInfo, const std::wstring& key, const wchar_t* name, std::wstring& value) {
    const std::wstring path = L"\\StringFileInfo\\" + key + L"\\" + name;
    void* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(versionInfo, path.c_str(), &text, &length) || !text) return false;
    value = static_cast<const wchar_t*>(text);
    return true;
}

void initialize(HWND dialog) {
    std::wstring version;
    std::wstring description;
    readModuleVersion(version, description);
    setFieldText(dialog, IDC_ABOUT_VERSION, L"Version: " + version);
}

void command(HWND dialog, int id, int notification) {
    if (notification != BN_CLICKED) return;
    if (id == IDC_ABOUT_WEB_PAGE) {
        openWithShell(dialog, kWebPage);
    } else if (id == IDOK) {
        EndDialog(dialog, IDOK);
    }
}

const DialogBehaviour kBehaviour = {IDD_ABOUT, L".chm::/what_version.htm", initialize, command};

}  // namespace

INT_PTR AboutDialog(HWND owner) { return runModalDialog(owner, kBehaviour); }

// By the library's full path: by its bare name, the system would look for it on the search
// path, where a plug-in folder usually is not.
bool readModuleVersion(std::wstring& version, std::wstring& description) {
    version.clear();
    description.clear();
    wchar_t path[MAX_PATH] = {};
    if (!GetModuleFileNameW(pluginInstance, path, MAX_PATH)) return false;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) return false;
    std::vector<BYTE> versionInfo(size);
    if (!GetFileVersionInfoW(path, 0, size, versionInfo.data())) return false;
    const std::wstring key = stringTableKey(versionInfo.data());
    const bool foundVersion = queryString(versionInfo.data(), key, L"FileVersion", version);
    const bool foundDescription = queryString(versionInfo.data(), key, L"FileDescription", description);
    return foundVersion && foundDescription;
}
