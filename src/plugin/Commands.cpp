#include "plugin/Commands.h"

#include <commctrl.h>
#include <winhttp.h>
#include <wrl/client.h>

#include <string>

#include "common/ComHolders.h"
#include "common/ExceptionBarrier.h"
#include "common/HostApi.h"
#include "common/MsxmlIds.h"
#include "common/TextConversion.h"
#include "plugin/Plugin.h"
#include "plugin/RetrievalWorker.h"
#include "common/RunState.h"
#include "resources/resource.h"
#include "settings/Settings.h"
#include "ui/Messages.h"
#include "ui/SettingsDialog.h"

CommandIds commandIds;

namespace {

constexpr int kHostMenuPopupForPlugins = 4;
constexpr int kToolbarImageCount = 3;

int WINAPI grayedWhileRunning(HWND, int) { return runState.running ? 1 : 0; }
int WINAPI grayedWhileIdle(HWND, int) { return runState.running ? 0 : 1; }

struct CommandDefinition {
    UINT descriptionId;
    UINT menuTextId;
    CommandCallback command;
    StateCallback state;
    int CommandIds::*id;
};

const CommandDefinition kCommands[] = {
    {IDS_RETRIEVE_DESCRIPTION, IDS_RETRIEVE_MENU, requestRetrieval, grayedWhileRunning, &CommandIds::retrieveAll},
    {IDS_SETUP_DESCRIPTION, IDS_SETUP_MENU, runSetup, grayedWhileRunning, &CommandIds::setup},
    {IDS_STOP_DESCRIPTION, IDS_STOP_MENU, requestStop, grayedWhileIdle, &CommandIds::stop},
};

std::string loadAnsiString(UINT id) { return toAnsi(loadPluginString(id)); }

void appendSeparatorUnlessLastIsOne(HWND toolbar) {
    const LRESULT count = SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0);
    if (count < 1) return;
    TBBUTTON last = {};
    SendMessageA(toolbar, TB_GETBUTTON, static_cast<WPARAM>(count - 1), reinterpret_cast<LPARAM>(&last));
    if (last.fsStyle & TBSTYLE_SEP) return;
    TBBUTTON separator = {};
    separator.iBitmap = -1;
    separator.fsStyle = TBSTYLE_SEP;
    SendMessageA(toolbar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&separator));
}

// The setup command needs the HTTP component and WinHTTP; tells the user when either is missing.
bool platformSupported(HWND owner) {
    Microsoft::WRL::ComPtr<IServerXMLHTTPRequest> probe;
    if (FAILED(CoCreateInstance(kServerXmlHttp30Class, nullptr, kMsxmlClassContext, IID_PPV_ARGS(&probe)))) {
        showError(owner, kMsxmlMissingText);
        return false;
    }
    if (!WinHttpCheckPlatform()) {
        showError(owner, kWinHttpMissingText);
        return false;
    }
    return true;
}

// The dialog works on the shared settings; they are saved or reloaded only once a run it
// started, and was asked to stop on Cancel, has let go of them.
void showSettingsDialog(HWND owner) {
    loadSettings(iniPath);
    const INT_PTR result = SettingsDialog(owner, requestRetrieval);
    waitForWorkerEnd();
    if (result == IDOK) {
        saveSettings(iniPath);
    } else {
        loadSettings(iniPath);
    }
}

}  // namespace

void setUpMenu(HMENU menu, int menuType) {
    HMENU popup = GetSubMenu(menu, kHostMenuPopupForPlugins);
    AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
    for (const CommandDefinition& definition : kCommands) {
        const std::string description = loadAnsiString(definition.descriptionId);
        const int id = hostApi.RegisterCommand(description.c_str(), menuType, definition.command);
        commandIds.*definition.id = id;
        const std::string menuText = loadAnsiString(definition.menuTextId);
        AppendMenuA(popup, MF_STRING, static_cast<UINT_PTR>(id), menuText.c_str());
        hostApi.RegisterUICallback(id, definition.state);
    }
}

void setUpToolbar() {
    HWND toolbar = FindWindowExA(hostMainWindow(), nullptr, "ToolbarWindow32", nullptr);
    if (!toolbar) return;
    SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    appendSeparatorUnlessLastIsOne(toolbar);

    TBADDBITMAP images = {pluginInstance, IDB_TOOLBAR};
    const int firstImage =
        static_cast<int>(SendMessageA(toolbar, TB_ADDBITMAP, kToolbarImageCount, reinterpret_cast<LPARAM>(&images)));
    TBBUTTON buttons[kToolbarImageCount] = {};
    const int ids[kToolbarImageCount] = {commandIds.retrieveAll, commandIds.setup, commandIds.stop};
    for (int i = 0; i < kToolbarImageCount; ++i) {
        buttons[i].iBitmap = firstImage + i;
        buttons[i].idCommand = ids[i];
        buttons[i].iString = -1;
    }
    SendMessageA(toolbar, TB_ADDBUTTONSA, kToolbarImageCount, reinterpret_cast<LPARAM>(buttons));
}

void WINAPI requestStop(HWND, int) { requestRunStop(); }

void WINAPI runSetup(HWND owner, int) {
    if (runState.running || runState.exiting || runState.setupActive) return;
    // Drops on the dialog need OLE on this thread, whatever the client set up.
    const OleInitialization ole;
    callWithoutThrowing([&] {
        if (!platformSupported(owner)) return;
        runState.setupActive = 1;
        callWithoutThrowing([&] { showSettingsDialog(owner); });
        runState.setupActive = 0;
        ShowWindow(hostMainWindow(), SW_SHOW);
    });
}
