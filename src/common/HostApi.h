#pragma once
// The client's exported MVA_ functions, bound by name once when the library attaches.
#include <windows.h>

using CommandCallback = void(WINAPI*)(HWND window, int parameter);
using StateCallback = int(WINAPI*)(HWND window, int parameter);

struct HostApi {
    using GetVersionFn = LPCSTR(WINAPI*)();
    using GetWindowHandlesFn = BOOL(WINAPI*)(HWND* main, HWND* tree, HWND* list, HWND* view);
    using RegisterCommandFn = int(WINAPI*)(LPCSTR description, int menuType, CommandCallback);
    using RegisterUICallbackFn = int(WINAPI*)(int commandId, StateCallback);
    using GetDataFolderFn = LPCSTR(WINAPI*)();
    using SetMessageTextFn = int(WINAPI*)(HWND window, LPCSTR text);
    using AppendMessageFn = int(WINAPI*)(LPCSTR folderId, LPCSTR mailText);

    HMODULE module = nullptr;

    // Slots in look-up order; only the typed ones are ever called.
    GetVersionFn GetVersion = nullptr;
    FARPROC Command = nullptr;
    GetWindowHandlesFn GetWindowHandles = nullptr;
    RegisterCommandFn RegisterCommand = nullptr;
    RegisterUICallbackFn RegisterUICallback = nullptr;
    GetDataFolderFn GetDataFolder = nullptr;
    FARPROC GetTempFolder = nullptr;
    FARPROC GetTempFileName = nullptr;
    FARPROC GetCurrentMailBox = nullptr;
    FARPROC SetCurrentMailBox = nullptr;
    FARPROC GetCurrentFolder = nullptr;
    FARPROC SetCurrentFolder = nullptr;
    FARPROC GetFolderDisplayName = nullptr;
    SetMessageTextFn SetMessageText = nullptr;
    FARPROC GetCurrentMail = nullptr;
    FARPROC SetCurrentMail = nullptr;
    FARPROC GetNextMail = nullptr;
    FARPROC SetSel = nullptr;
    AppendMessageFn AppendMessage = nullptr;
    FARPROC MoveSelectedMessages = nullptr;
    FARPROC GetStatus = nullptr;
    FARPROC SetStatus = nullptr;
    FARPROC ComposeMail = nullptr;
    FARPROC GetCharSet = nullptr;
    FARPROC GetSource = nullptr;
    FARPROC SetSource = nullptr;
    FARPROC GetHeader = nullptr;
    FARPROC GetText = nullptr;
    FARPROC SetText = nullptr;
    FARPROC GetSpecifiedHeader = nullptr;
    FARPROC SetSpecifiedHeader = nullptr;
    FARPROC CompGetCharSet = nullptr;
    FARPROC CompGetSource = nullptr;
    FARPROC CompSetSource = nullptr;
    FARPROC CompGetHeader = nullptr;
    FARPROC CompGetSpecifiedHeader = nullptr;
    FARPROC CompSetSpecifiedHeader = nullptr;
    FARPROC CompGetText = nullptr;
    FARPROC CompSetText = nullptr;
    FARPROC CompAttachFile = nullptr;
    FARPROC Alloc = nullptr;
    FARPROC ReAlloc = nullptr;
    FARPROC Free = nullptr;
    FARPROC ISO_2022_JP = nullptr;
    FARPROC ISO_2022_KR = nullptr;
    FARPROC HZ_GB2312 = nullptr;
    FARPROC ISO_8859_2 = nullptr;
    FARPROC EUC_JP = nullptr;
    FARPROC UTF_7 = nullptr;
    FARPROC UTF_8 = nullptr;
    FARPROC B64Convert = nullptr;
    FARPROC QPConvert = nullptr;
    FARPROC MIMEHeader = nullptr;
    FARPROC SerializeRcpts = nullptr;
    FARPROC Connect = nullptr;
    FARPROC NextUnread = nullptr;
};

extern HostApi hostApi;

// Binds every host function of the main executable into `hostApi`. Fails, leaving the
// table unbound, when a required function is missing; succeeds at once when bound already.
bool bindHostApi();

// The client's main window, of the four its window handles name.
HWND hostMainWindow();
