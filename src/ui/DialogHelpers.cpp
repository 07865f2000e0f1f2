#include "ui/DialogHelpers.h"

#include <htmlhelp.h>
#include <shellapi.h>

#include <cstring>

#include "common/Handles.h"
#include "common/TextConversion.h"
#include "feed/FeedFetcher.h"
#include "ui/HelpTopic.h"

LinkEntry editLink;

namespace {

using HtmlHelpFunction = HWND(WINAPI*)(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data);

constexpr int32_t kTrialLoadTimeoutSeconds = 8;

// The viewer's library as the system registers it, else by its name.
HMODULE loadHtmlHelpLibrary() {
    wchar_t path[MAX_PATH] = {};
    DWORD size = sizeof path;
    if (RegGetValueW(HKEY_CLASSES_ROOT, L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32", nullptr,
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ, nullptr, path, &size) == ERROR_SUCCESS) {
        if (HMODULE library = LoadLibraryW(path)) return library;
    }
    return LoadLibraryW(L"hhctrl.ocx");
}

// Loaded once and kept for the life of the process; null from then on when it failed.
HtmlHelpFunction htmlHelp() {
    static const HtmlHelpFunction function = [] {
        const HMODULE library = loadHtmlHelpLibrary();
        return library ? reinterpret_cast<HtmlHelpFunction>(
                             reinterpret_cast<void*>(GetProcAddress(library, "HtmlHelpW")))
                       : nullptr;
    }();
    return function;
}

}  // namespace

void showHelpTopic(HWND owner, const wchar_t* topicSuffix) {
    if (const HtmlHelpFunction viewer = htmlHelp()) {
        viewer(owner, helpTopicPath(iniPath, topicSuffix).c_str(), HH_DISPLAY_TOPIC, 0);
    }
}

void copyTextToClipboard(HWND owner, const std::wstring& text) {
    const ClipboardSession clipboard(owner);
    if (!clipboard || !EmptyClipboard()) return;
    const std::string bytes = toAnsi(text);
    ScopedGlobalMemory block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.size() + 2));
    if (!block) return;
    void* memory = GlobalLock(block.get());
    if (!memory) return;
    std::memcpy(memory, bytes.c_str(), bytes.size() + 1);
    GlobalUnlock(block.get());
    // Once handed over, the block belongs to the clipboard.
    if (SetClipboardData(CF_TEXT, block.get())) block.release();
}

void restoreDialogPosition(HWND dialog) {
    const int x = pluginSettings.XPos;
    const int y = pluginSettings.YPos;
    if (x == 0 && y == 0) return;
    // A position on a monitor that is gone would leave the dialog out of reach.
    RECT frame = {};
    GetWindowRect(dialog, &frame);
    OffsetRect(&frame, x - frame.left, y - frame.top);
    if (!MonitorFromRect(&frame, MONITOR_DEFAULTTONULL)) return;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(dialog, nullptr, TRUE);
}

void rememberDialogPosition(HWND dialog) {
    RECT frame = {};
    if (!GetWindowRect(dialog, &frame)) return;
    pluginSettings.XPos = frame.left;
    pluginSettings.YPos = frame.top;
    saveWindowPosition(iniPath);
}

bool trialLoadFeed(FeedFetcher& fetcher, const std::wstring& url) {
    return fetcher.Fetch(url, 0, HtmlBreakLines, kTrialLoadTimeoutSeconds, SenderOnly, true);
}

void openWithShell(HWND owner, const std::wstring& target) {
    ShellExecuteW(owner, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
