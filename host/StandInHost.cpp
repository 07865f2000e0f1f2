#include "StandInHost.h"

#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <functional>
#include <iterator>
#include <mutex>

namespace standin {
namespace {

std::mutex recordLock;
HostOptions hostOptions;
std::vector<std::string> recordedStatusTexts;
std::vector<AppendedMessage> recordedMessages;
std::vector<RegisteredCommand> commands;
MainWindow mainWindow;
int storedMailCount = 0;
// Set by prepareInteractiveWindow: the window is shown to a person.
bool interactive = false;
HWND statusBar = nullptr;

constexpr int kFirstCommandId = 40001;

// Like a real client's status bar and mail store, the main window records what the plug-in
// hands over, on its own thread: a caller on another thread waits until that thread pumps.
constexpr UINT kRecordStatusText = WM_APP + 1;
constexpr UINT kRecordMessage = WM_APP + 2;

// The last thread other than the main window's that called the client: the retrieval worker.
HANDLE foreignCaller = nullptr;

constexpr UINT_PTR kToolbarStateTimer = 1;
constexpr UINT kToolbarStatePollMs = 250;
constexpr UINT_PTR kMinuteTimer = 2;
std::function<void()> everyMinute;

RegisteredCommand* findCommand(int id) {
    for (RegisteredCommand& command : commands) {
        if (command.id == id) return &command;
    }
    return nullptr;
}

void storeMailFile(const std::string& folderId, const std::string& text) {
    const std::string folder = hostOptions.dataFolder + "\\" + folderId;
    CreateDirectoryA(folder.c_str(), nullptr);
    // Numbers continue after the mails an earlier run stored.
    std::string path;
    do {
        char name[32];
        std::snprintf(name, sizeof name, "%04d.eml", ++storedMailCount);
        path = folder + name;
    } while (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}

void recordStatusText(const char* text) {
    std::lock_guard<std::mutex> lock(recordLock);
    recordedStatusTexts.emplace_back(text ? text : "");
}

void recordMessage(const char* folderId, const char* mailText) {
    std::lock_guard<std::mutex> lock(recordLock);
    AppendedMessage message{folderId ? folderId : "", mailText ? mailText : ""};
    if (hostOptions.storeMails) storeMailFile(message.folderId, message.text);
    recordedMessages.push_back(std::move(message));
}

void noteForeignCaller() {
    if (mainWindow.window && GetWindowThreadProcessId(mainWindow.window, nullptr) == GetCurrentThreadId()) return;
    HANDLE thread = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &thread, SYNCHRONIZE, FALSE, 0);
    std::lock_guard<std::mutex> lock(recordLock);
    if (foreignCaller) CloseHandle(foreignCaller);
    foreignCaller = thread;
}

// As a real client does, menu items gray by their commands' state callbacks when the menu opens.
void grayCommandItems(HMENU menu) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        const int state = commandState(static_cast<int>(GetMenuItemID(menu, i)));
        if (state < 0) continue;
        EnableMenuItem(menu, static_cast<UINT>(i), MF_BYPOSITION | (state == 1 ? MF_GRAYED : MF_ENABLED));
    }
}

// The plug-in adds its buttons without a state; the client keeps them in step with the
// commands' state callbacks, which change when a run ends on the worker thread.
void updateToolbarButtons() {
    const int count = static_cast<int>(SendMessageW(mainWindow.toolbar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button = {};
        if (!SendMessageW(mainWindow.toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button))) continue;
        const int state = commandState(button.idCommand);
        if (state < 0) continue;
        SendMessageW(mainWindow.toolbar, TB_ENABLEBUTTON, button.idCommand, MAKELPARAM(state != 1, 0));
    }
}

void showDeliveredCount(HWND window) {
    wchar_t title[64];
    std::swprintf(title, std::size(title), L"Stand-in host - %u mails delivered",
                  static_cast<unsigned>(appendedMessageCount()));
    SetWindowTextW(window, title);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) == 0 && invokeCommand(LOWORD(wParam), 0)) return 0;
            break;
        case WM_INITMENUPOPUP:
            grayCommandItems(reinterpret_cast<HMENU>(wParam));
            return 0;
        case WM_TIMER:
            if (wParam == kToolbarStateTimer) updateToolbarButtons();
            else if (wParam == kMinuteTimer && everyMinute) everyMinute();
            else break;
            return 0;
        case WM_SIZE:
            if (!statusBar) break;
            SendMessageW(mainWindow.toolbar, TB_AUTOSIZE, 0, 0);
            SendMessageW(statusBar, WM_SIZE, 0, 0);
            return 0;
        case WM_CLOSE:
            // The client calls the plug-in's exit while its window still takes the worker's
            // last status texts; hidden, it takes no more clicks.
            if (!interactive) break;
            ShowWindow(window, SW_HIDE);
            PostQuitMessage(0);
            return 0;
        case kRecordStatusText:
            recordStatusText(reinterpret_cast<const char*>(lParam));
            if (statusBar) SendMessageA(statusBar, SB_SETTEXTA, 0, lParam);
            return 1;
        case kRecordMessage:
            recordMessage(reinterpret_cast<const char*>(wParam), reinterpret_cast<const char*>(lParam));
            if (interactive) showDeliveredCount(window);
            return 1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HMENU createMenuBar() {
    HMENU menuBar = CreateMenu();
    const wchar_t* popups[] = {L"&File", L"&Edit", L"&View", L"&Mail", L"&Tools", L"&Help"};
    for (const wchar_t* title : popups) {
        HMENU popup = CreatePopupMenu();
        AppendMenuW(popup, MF_STRING, 1, L"Placeholder");
        AppendMenuW(menuBar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), title);
    }
    return menuBar;
}

HWND createToolbar(HWND parent, int buttonCount, bool endsWithSeparator) {
    HWND toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT,
                                   0, 0, 0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    for (int i = 0; i < buttonCount; ++i) {
        TBBUTTON button = {};
        const bool separator = endsWithSeparator && i == buttonCount - 1;
        button.iBitmap = separator ? -1 : 0;
        button.idCommand = separator ? 0 : 100 + i;
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = separator ? BTNS_SEP : BTNS_BUTTON;
        SendMessageW(toolbar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
    }
    return toolbar;
}

}  // namespace

void configure(const HostOptions& options) { hostOptions = options; }
const HostOptions& options() { return hostOptions; }

std::vector<std::string> statusTexts() {
    std::lock_guard<std::mutex> lock(recordLock);
    return recordedStatusTexts;
}

std::vector<AppendedMessage> appendedMessages() {
    std::lock_guard<std::mutex> lock(recordLock);
    return recordedMessages;
}

size_t appendedMessageCount() {
    std::lock_guard<std::mutex> lock(recordLock);
    return recordedMessages.size();
}

std::vector<RegisteredCommand> registeredCommands() {
    std::lock_guard<std::mutex> lock(recordLock);
    return commands;
}

void clearRecords() {
    std::lock_guard<std::mutex> lock(recordLock);
    recordedStatusTexts.clear();
    recordedMessages.clear();
    commands.clear();
    if (foreignCaller) CloseHandle(foreignCaller);
    foreignCaller = nullptr;
}

bool waitForForeignCaller(DWORD timeoutMs) {
    HANDLE thread = nullptr;
    {
        std::lock_guard<std::mutex> lock(recordLock);
        if (!foreignCaller) return true;
        DuplicateHandle(GetCurrentProcess(), foreignCaller, GetCurrentProcess(), &thread, SYNCHRONIZE, FALSE, 0);
    }
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    bool ended = false;
    for (;;) {
        pumpMessages();
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) break;
        const DWORD wait = MsgWaitForMultipleObjects(1, &thread, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
        if (wait == WAIT_OBJECT_0) {
            ended = true;
            break;
        }
        if (wait != WAIT_OBJECT_0 + 1) break;
    }
    CloseHandle(thread);
    return ended;
}

MainWindow createMainWindow(int toolbarButtons, bool endsWithSeparator) {
    destroyMainWindow();
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"StandInHostMain";
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&windowClass);
    mainWindow.menu = createMenuBar();
    mainWindow.window = CreateWindowExW(0, L"StandInHostMain", L"Stand-in host", WS_OVERLAPPEDWINDOW,
                                        CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr, mainWindow.menu,
                                        GetModuleHandleW(nullptr), nullptr);
    mainWindow.toolbar = createToolbar(mainWindow.window, toolbarButtons, endsWithSeparator);
    return mainWindow;
}

void destroyMainWindow() {
    if (mainWindow.window) DestroyWindow(mainWindow.window);
    mainWindow = MainWindow{};
    statusBar = nullptr;
    interactive = false;
}

void prepareInteractiveWindow() {
    interactive = true;
    // The images of the plug-in's toolbar bitmap are 20 x 19 pixels.
    SendMessageW(mainWindow.toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(20, 19));
    statusBar = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                                mainWindow.window, nullptr, GetModuleHandleW(nullptr), nullptr);
}

void runMainWindow(std::function<void()> onEveryMinute) {
    everyMinute = std::move(onEveryMinute);
    updateToolbarButtons();
    SetTimer(mainWindow.window, kToolbarStateTimer, kToolbarStatePollMs, nullptr);
    SetTimer(mainWindow.window, kMinuteTimer, 60 * 1000, nullptr);
    ShowWindow(mainWindow.window, SW_SHOWNORMAL);
    UpdateWindow(mainWindow.window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    KillTimer(mainWindow.window, kToolbarStateTimer);
    KillTimer(mainWindow.window, kMinuteTimer);
    everyMinute = nullptr;
}

void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

Plugin::~Plugin() { unload(); }

bool Plugin::load(const std::string& path) {
    unload();
    return keep(LoadLibraryA(path.c_str()));
}

bool Plugin::load(const std::wstring& path) {
    unload();
    return keep(LoadLibraryW(path.c_str()));
}

bool Plugin::keep(HMODULE module) {
    module_ = module;
    lastError_ = module_ ? 0 : GetLastError();
    return module_ != nullptr;
}

void Plugin::unload() {
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
}

FARPROC Plugin::entry(const char* name) const {
    return module_ ? GetProcAddress(module_, name) : nullptr;
}

namespace {
template <typename Function, typename... Args>
int callExport(const Plugin& plugin, const char* name, Args... args) {
    FARPROC address = plugin.entry(name);
    if (!address) return -1;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address))(args...);
}
}  // namespace

int Plugin::call(const char* name) { return callExport<int(WINAPI*)()>(*this, name); }
int Plugin::onMenuInit(HWND window, HMENU menu, int menuType) {
    return callExport<int(WINAPI*)(HWND, HMENU, int)>(*this, "MVC_OnMenuInit", window, menu, menuType);
}
int Plugin::onStart() { return call("MVC_OnStart"); }
int Plugin::onExit() { return call("MVC_OnExit"); }
int Plugin::onEveryMinute() { return call("MVC_OnEveryMinute"); }
int Plugin::onFinishRetrieve() {
    return callExport<int(WINAPI*)(int)>(*this, "MVC_OnFinishRetrieve", 0);
}
int Plugin::onPlugInSetup(HWND owner) {
    return callExport<int(WINAPI*)(HWND)>(*this, "MVC_OnPlugInSetup", owner);
}
int Plugin::onPlugInInfo(void* record) {
    return callExport<int(WINAPI*)(void*)>(*this, "MVC_OnPlugInInfo", record);
}

bool invokeCommand(int id, int parameter) {
    CommandCallback callback = nullptr;
    {
        std::lock_guard<std::mutex> lock(recordLock);
        if (RegisteredCommand* command = findCommand(id)) callback = command->command;
    }
    if (!callback) return false;
    callback(mainWindow.window, parameter);
    return true;
}

int commandState(int id) {
    StateCallback callback = nullptr;
    {
        std::lock_guard<std::mutex> lock(recordLock);
        if (RegisteredCommand* command = findCommand(id)) callback = command->state;
    }
    return callback ? callback(mainWindow.window, 0) : -1;
}

}  // namespace standin

// The client's exported functions. Only the ones the plug-in calls do real work.
using namespace standin;

#define HOST_EXPORT extern "C" __declspec(dllexport)
#define UNUSED_HOST_FUNCTION(name) \
    HOST_EXPORT int WINAPI name() { return 0; }

HOST_EXPORT LPCSTR WINAPI MVA_GetVersion() { return hostOptions.version.c_str(); }

HOST_EXPORT BOOL WINAPI MVA_GetWindowHandles(HWND* main, HWND* tree, HWND* list, HWND* view) {
    if (main) *main = mainWindow.window;
    if (tree) *tree = nullptr;
    if (list) *list = nullptr;
    if (view) *view = nullptr;
    return TRUE;
}

HOST_EXPORT int WINAPI MVA_RegisterCommand(LPCSTR description, int menuType, CommandCallback callback) {
    std::lock_guard<std::mutex> lock(recordLock);
    RegisteredCommand command;
    command.id = kFirstCommandId + static_cast<int>(commands.size());
    command.description = description ? description : "";
    command.menuType = menuType;
    command.command = callback;
    commands.push_back(command);
    return command.id;
}

HOST_EXPORT int WINAPI MVA_RegisterUICallback(int commandId, StateCallback callback) {
    std::lock_guard<std::mutex> lock(recordLock);
    RegisteredCommand* command = findCommand(commandId);
    if (!command) return 0;
    command->state = callback;
    return 1;
}

HOST_EXPORT LPCSTR WINAPI MVA_GetDataFolder() { return hostOptions.dataFolder.c_str(); }

HOST_EXPORT int WINAPI MVA_SetMessageText(HWND, LPCSTR text) {
    noteForeignCaller();
    if (!mainWindow.window) {
        recordStatusText(text);
        return 1;
    }
    return static_cast<int>(SendMessageW(mainWindow.window, kRecordStatusText, 0, reinterpret_cast<LPARAM>(text)));
}

HOST_EXPORT int WINAPI MVA_AppendMessage(LPCSTR folderId, LPCSTR mailText) {
    noteForeignCaller();
    if (!mainWindow.window) {
        recordMessage(folderId, mailText);
        return 1;
    }
    return static_cast<int>(SendMessageW(mainWindow.window, kRecordMessage, reinterpret_cast<WPARAM>(folderId),
                                         reinterpret_cast<LPARAM>(mailText)));
}

UNUSED_HOST_FUNCTION(MVA_Command)
UNUSED_HOST_FUNCTION(MVA_GetTempFolder)
UNUSED_HOST_FUNCTION(MVA_GetTempFileName)
UNUSED_HOST_FUNCTION(MVA_GetCurrentMailBox)
UNUSED_HOST_FUNCTION(MVA_SetCurrentMailBox)
UNUSED_HOST_FUNCTION(MVA_GetCurrentFolder)
UNUSED_HOST_FUNCTION(MVA_SetCurrentFolder)
UNUSED_HOST_FUNCTION(MVA_GetFolderDisplayName)
UNUSED_HOST_FUNCTION(MVA_GetCurrentMail)
UNUSED_HOST_FUNCTION(MVA_SetCurrentMail)
UNUSED_HOST_FUNCTION(MVA_GetNextMail)
UNUSED_HOST_FUNCTION(MVA_SetSel)
UNUSED_HOST_FUNCTION(MVA_MoveSelectedMessages)
UNUSED_HOST_FUNCTION(MVA_GetStatus)
#ifndef STANDIN_HOST_WITHOUT_SETSTATUS
UNUSED_HOST_FUNCTION(MVA_SetStatus)
#endif
UNUSED_HOST_FUNCTION(MVA_ComposeMail)
UNUSED_HOST_FUNCTION(MVA_GetCharSet)
UNUSED_HOST_FUNCTION(MVA_GetSource)
UNUSED_HOST_FUNCTION(MVA_SetSource)
UNUSED_HOST_FUNCTION(MVA_GetHeader)
UNUSED_HOST_FUNCTION(MVA_GetText)
UNUSED_HOST_FUNCTION(MVA_SetText)
UNUSED_HOST_FUNCTION(MVA_GetSpecifiedHeader)
UNUSED_HOST_FUNCTION(MVA_SetSpecifiedHeader)
UNUSED_HOST_FUNCTION(MVA_CompGetCharSet)
UNUSED_HOST_FUNCTION(MVA_CompGetSource)
UNUSED_HOST_FUNCTION(MVA_CompSetSource)
UNUSED_HOST_FUNCTION(MVA_CompGetHeader)
UNUSED_HOST_FUNCTION(MVA_CompGetSpecifiedHeader)
UNUSED_HOST_FUNCTION(MVA_CompSetSpecifiedHeader)
UNUSED_HOST_FUNCTION(MVA_CompGetText)
UNUSED_HOST_FUNCTION(MVA_CompSetText)
UNUSED_HOST_FUNCTION(MVA_CompAttachFile)
UNUSED_HOST_FUNCTION(MVA_Alloc)
UNUSED_HOST_FUNCTION(MVA_ReAlloc)
UNUSED_HOST_FUNCTION(MVA_Free)
UNUSED_HOST_FUNCTION(MVA_ISO_2022_JP)
UNUSED_HOST_FUNCTION(MVA_ISO_2022_KR)
UNUSED_HOST_FUNCTION(MVA_HZ_GB2312)
UNUSED_HOST_FUNCTION(MVA_ISO_8859_2)
UNUSED_HOST_FUNCTION(MVA_EUC_JP)
UNUSED_HOST_FUNCTION(MVA_UTF_7)
UNUSED_HOST_FUNCTION(MVA_UTF_8)
UNUSED_HOST_FUNCTION(MVA_B64Convert)
UNUSED_HOST_FUNCTION(MVA_QPConvert)
UNUSED_HOST_FUNCTION(MVA_MIMEHeader)
UNUSED_HOST_FUNCTION(MVA_SerializeRcpts)
#ifndef STANDIN_HOST_WITHOUT_CONNECT
UNUSED_HOST_FUNCTION(MVA_Connect)
#endif
#ifndef STANDIN_HOST_WITHOUT_NEXTUNREAD
UNUSED_HOST_FUNCTION(MVA_NextUnread)
#endif
