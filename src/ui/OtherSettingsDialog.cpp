#include "ui/OtherSettingsDialog.h"

#include <commctrl.h>

#include <string>

#include "resources/OtherSettingsDialog_rc.h"
#include "settings/Settings.h"
#include "ui/DialogControls.h"
#include "ui/DialogFrame.h"
#include "ui/Messages.h"
#include "ui/WinHttpProxy.h"

namespace {

constexpr wchar_t kProxyQuestion[] = L"进行WinHTTP的Proxy设置的更新处理。确认吗？";
constexpr wchar_t kNotAdministratorText[] = L"管理者権限(Administrators)がないので,この操作は実行できません";
constexpr int kMinTimeoutSeconds = 1;
constexpr int kMaxTimeoutSeconds = 600;

void followSubjectPrefixBox(HWND dialog) {
    enableControls(dialog, {IDC_SUBJECT_PREFIX_TEXT}, isChecked(dialog, IDC_SUBJECT_PREFIX));
}

// The options the file keeps; the proxy box is not one of them.
void showOptions(HWND dialog, const PluginSettings& s) {
    setFieldText(dialog, IDC_TIMEOUT_FEED, std::to_wstring(s.TimeoutC));
    setFieldText(dialog, IDC_TIMEOUT_PAGE, std::to_wstring(s.TimeoutB));
    setFieldText(dialog, IDC_TIMEOUT_RUN, std::to_wstring(s.TimeoutS));
    setFieldText(dialog, IDC_SUBJECT_PREFIX_TEXT, s.SubjectPrefixText);
    setChecked(dialog, IDC_TOOL_MENU, s.ToolMenu != 0);
    setChecked(dialog, IDC_SUBJECT_PREFIX, s.SubjectPrefix != 0);
    setChecked(dialog, IDC_ITEM_MEMORY, s.ItemMemory != 0);
    followSubjectPrefixBox(dialog);
}

void initialize(HWND dialog) {
    showOptions(dialog, pluginSettings);
    for (const int spin : {IDC_TIMEOUT_FEED_SPIN, IDC_TIMEOUT_PAGE_SPIN, IDC_TIMEOUT_RUN_SPIN}) {
        SendDlgItemMessageW(dialog, spin, UDM_SETRANGE32, kMinTimeoutSeconds, kMaxTimeoutSeconds);
    }
    setChecked(dialog, IDC_WINHTTP_PROXY, hasWinHttpProxy());
}

// The click has already toggled the box. It ends showing the system's real state, so a
// change that WinHTTP refused does not look done.
void switchProxy(HWND dialog) {
    const bool wanted = isChecked(dialog, IDC_WINHTTP_PROXY);
    if (!askYesNo(dialog, kProxyQuestion, MB_ICONINFORMATION)) {
        setChecked(dialog, IDC_WINHTTP_PROXY, !wanted);
        return;
    }
    if (!isUserAdministrator()) {
        showWarning(dialog, kNotAdministratorText);
        setChecked(dialog, IDC_WINHTTP_PROXY, !wanted);
        return;
    }
    applyIeProxyToWinHttp(wanted);
    setChecked(dialog, IDC_WINHTTP_PROXY, hasWinHttpProxy());
}

void accept(HWND dialog) {
    PluginSettings& s = pluginSettings;
    s.TimeoutC = fieldNumber(dialog, IDC_TIMEOUT_FEED);
    s.TimeoutB = fieldNumber(dialog, IDC_TIMEOUT_PAGE);
    s.TimeoutS = fieldNumber(dialog, IDC_TIMEOUT_RUN);
    s.SubjectPrefixText = fieldText(dialog, IDC_SUBJECT_PREFIX_TEXT);
    s.ToolMenu = isChecked(dialog, IDC_TOOL_MENU) ? 1 : 0;
    s.SubjectPrefix = isChecked(dialog, IDC_SUBJECT_PREFIX) ? 1 : 0;
    s.ItemMemory = isChecked(dialog, IDC_ITEM_MEMORY) ? 1 : 0;
    EndDialog(dialog, IDOK);
}

void command(HWND dialog, int id, int notification) {
    if (notification != BN_CLICKED) return;
    switch (id) {
        case IDOK: accept(dialog); break;
        case IDC_SUBJECT_PREFIX: followSubjectPrefixBox(dialog); break;
        case IDC_WINHTTP_PROXY: switchProxy(dialog); break;
        case IDC_DEFAULTS: showOptions(dialog, PluginSettings{}); break;
    }
}

const DialogBehaviour kBehaviour = {IDD_OTHER_SETTINGS, L".chm::/func_g_system.htm", initialize, command};

}  // namespace

INT_PTR OtherSettingsDialog(HWND owner) { return runModalDialog(owner, kBehaviour); }
