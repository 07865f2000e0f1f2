#pragma once
// A stand-in for the mail client: exports the client's MVA_ functions from the executable
// that links it, records what the plug-in hands over, and loads and drives the plug-in.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace standin {

using CommandCallback = void(WINAPI*)(HWND window, int parameter);
using StateCallback = int(WINAPI*)(HWND window, int parameter);

struct HostOptions {
    std::string version = "2.10.00";
    std::string dataFolder;      // without a trailing separator
    bool storeMails = false;     // also write each appended mail to <data>\<folder>\NNNN.eml
};

struct AppendedMessage {
    std::string folderId;
    std::string text;
};

struct RegisteredCommand {
    int id = 0;
    std::string description;
    int menuType = 0;
    CommandCallback command = nullptr;
    StateCallback state = nullptr;
};

void configure(const HostOptions& options);
const HostOptions& options();

// Calls arrive from the retrieval thread; these return copies taken under a lock.
std::vector<std::string> statusTexts();
std::vector<AppendedMessage> appendedMessages();
size_t appendedMessageCount();
std::vector<RegisteredCommand> registeredCommands();
void clearRecords();

// Waits, dispatching the calling thread's messages, until the last thread other than the main
// window's that called the client (the retrieval worker) has ended. True when it ended within
// `timeoutMs` or there was none since clearRecords.
bool waitForForeignCaller(DWORD timeoutMs);

// The client's main window: a menu of five popups and a "ToolbarWindow32" child holding
// `toolbarButtons` buttons, the last of them a separator when `endsWithSeparator`.
struct MainWindow {
    HWND window = nullptr;
    HMENU menu = nullptr;
    HWND toolbar = nullptr;
};
MainWindow createMainWindow(int toolbarButtons, bool endsWithSeparator);
void destroyMainWindow();

// Makes the main window one for a person to click through: toolbar images of the plug-in's
// size and a status bar that shows the status texts. Call before the plug-in's MVC_OnStart.
void prepareInteractiveWindow();
// Shows the main window and runs its message loop until the window is closed, calling
// `onEveryMinute` once a minute as the client's clock does. The window is then hidden, not
// destroyed, so that the plug-in's exit can still reach the client.
void runMainWindow(std::function<void()> onEveryMinute);

// Dispatches the calling thread's pending messages once.
void pumpMessages();

// The plug-in library, loaded by path and driven through its exports.
class Plugin {
public:
    Plugin() = default;
    ~Plugin();
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    // False when the library refuses to load; `lastError` then holds GetLastError().
    bool load(const std::string& path);
    bool load(const std::wstring& path);
    void unload();
    bool loaded() const { return module_ != nullptr; }
    DWORD lastError() const { return lastError_; }

    // Null when the library lacks the export.
    FARPROC entry(const char* name) const;
    int call(const char* name);
    int onMenuInit(HWND window, HMENU menu, int menuType);
    int onStart();
    int onExit();
    int onEveryMinute();
    int onFinishRetrieve();
    int onPlugInSetup(HWND owner);
    int onPlugInInfo(void* record);

private:
    bool keep(HMODULE module);

    HMODULE module_ = nullptr;
    DWORD lastError_ = 0;
};

// The command registered under `id`, as the client would invoke it.
bool invokeCommand(int id, int parameter);
// The state a registered command reports: 1 grayed, 0 enabled, -1 unknown id.
int commandState(int id);

}  // namespace standin
